#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace quillo {

// The faces of the design's type family, lightest first.
enum class QuilloFontWeight { regular, medium, demiBold, bold, heavy };

// The face's PostScript name, e.g. "AvenirNext-Medium".
QString fontName(QuilloFontWeight weight);
QFont::Weight qtWeight(QuilloFontWeight weight);

// The design's family at `size` points. Points are device-independent pixels one to one (pixel
// sizes: Qt would scale point sizes by 96/72). Where the family is not installed, DejaVu Sans
// stands in. Fractional sizes round to the nearest pixel.
QFont quilloFont(double size, QuilloFontWeight weight);

// The platform's user-interface font at `size` points and `weight`.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal);

// A named text style: a font and, for the caption and micro styles, a foreground colour.
struct QuilloTextStyle {
    QFont font;
    std::optional<QColor> foreground;

    // Sets the widget's font and, when the style has one, its text colour (palette WindowText and
    // Text); other colours are left alone.
    void applyTo(QWidget* widget) const;
};

QuilloTextStyle quilloLargeTitle();  // demiBold 22
QuilloTextStyle quilloTitle();       // demiBold 20
QuilloTextStyle quilloHeadline();    // demiBold 18
QuilloTextStyle quilloBody();        // regular 17
QuilloTextStyle quilloBodySmall();   // regular 16
QuilloTextStyle quilloControl();     // medium 14
QuilloTextStyle quilloLabel();       // medium 14
QuilloTextStyle quilloCaption();     // regular 13, quilloTextSecondary
QuilloTextStyle quilloMicro();       // regular 12, quilloTextTertiary

}  // namespace quillo
