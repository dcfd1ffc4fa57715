#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

namespace quillo {

// The header of a sheet: a symbol in the title-2 size beside a headline and a caption under it,
// pushed to the leading edge, inset by the standard margin.
class SheetHeader : public QWidget {
    Q_OBJECT
public:
    SheetHeader(const QString& symbol, const QColor& symbolColor, const QString& headline, const QString& caption,
                QWidget* parent = nullptr);

    QLabel* captionLabel() const { return caption_; }

private:
    QLabel* caption_;
};

// The sheets' system text styles, in points as pixels (see quilloFont).
namespace SheetFonts {
QFont headline();  // 13, bold
QFont callout();   // 12
QFont caption();   // 11
QFont caption2();  // 10
constexpr double kTitle2Size = 17;
}  // namespace SheetFonts

// Gives a widget the secondary text colour.
void setSecondaryText(QWidget* widget);
// A selectable label in the secondary text colour, as the sheets show values.
QLabel* secondaryLabel(const QString& text = QString());

}  // namespace quillo
