#include "QuilloDesignKit/QuilloFont.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

#include <cmath>

namespace quillo {

QString fontName(QuilloFontWeight weight) {
    switch (weight) {
    case QuilloFontWeight::regular: return QStringLiteral("AvenirNext-Regular");
    case QuilloFontWeight::medium: return QStringLiteral("AvenirNext-Medium");
    case QuilloFontWeight::demiBold: return QStringLiteral("AvenirNext-DemiBold");
    case QuilloFontWeight::bold: return QStringLiteral("AvenirNext-Bold");
    case QuilloFontWeight::heavy: return QStringLiteral("AvenirNext-Heavy");
    }
    return QStringLiteral("AvenirNext-Regular");
}

QFont::Weight qtWeight(QuilloFontWeight weight) {
    switch (weight) {
    case QuilloFontWeight::regular: return QFont::Normal;
    case QuilloFontWeight::medium: return QFont::Medium;
    case QuilloFontWeight::demiBold: return QFont::DemiBold;
    case QuilloFontWeight::bold: return QFont::Bold;
    case QuilloFontWeight::heavy: return QFont::ExtraBold;
    }
    return QFont::Normal;
}

namespace {
int pixels(double size) { return std::max(1, int(std::lround(size))); }
}  // namespace

QFont quilloFont(double size, QuilloFontWeight weight) {
    QFont font;
    font.setFamilies({QStringLiteral("Avenir Next"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels(size));
    font.setWeight(qtWeight(weight));
    return font;
}

QFont systemFont(double size, QFont::Weight weight) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixels(size));
    font.setWeight(weight);
    return font;
}

void QuilloTextStyle::applyTo(QWidget* widget) const {
    widget->setFont(font);
    if (!foreground) return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, *foreground);
    palette.setColor(QPalette::Text, *foreground);
    widget->setPalette(palette);
}

QuilloTextStyle quilloLargeTitle() { return {quilloFont(22, QuilloFontWeight::demiBold), std::nullopt}; }
QuilloTextStyle quilloTitle() { return {quilloFont(20, QuilloFontWeight::demiBold), std::nullopt}; }
QuilloTextStyle quilloHeadline() { return {quilloFont(18, QuilloFontWeight::demiBold), std::nullopt}; }
QuilloTextStyle quilloBody() { return {quilloFont(17, QuilloFontWeight::regular), std::nullopt}; }
QuilloTextStyle quilloBodySmall() { return {quilloFont(16, QuilloFontWeight::regular), std::nullopt}; }
QuilloTextStyle quilloControl() { return {quilloFont(14, QuilloFontWeight::medium), std::nullopt}; }
QuilloTextStyle quilloLabel() { return {quilloFont(14, QuilloFontWeight::medium), std::nullopt}; }
QuilloTextStyle quilloCaption() { return {quilloFont(13, QuilloFontWeight::regular), Color::quilloTextSecondary()}; }
QuilloTextStyle quilloMicro() { return {quilloFont(12, QuilloFontWeight::regular), Color::quilloTextTertiary()}; }

}  // namespace quillo
