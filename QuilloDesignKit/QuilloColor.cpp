#include "QuilloDesignKit/QuilloColor.h"

#include <QString>

namespace quillo::Color {

namespace {

QColor rgb(double r, double g, double b) { return QColor::fromRgbF(float(r), float(g), float(b)); }

QColor white(double opacity) { return withOpacity(Qt::white, opacity); }

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    return -1;
}

}  // namespace

QColor withOpacity(const QColor& color, double opacity) {
    QColor result = color;
    result.setAlphaF(float(opacity));
    return result;
}

const QColor& quilloBase() {
    static const QColor c = rgb(0.06, 0.07, 0.09);
    return c;
}
const QColor& quilloSurface() {
    static const QColor c = rgb(0.10, 0.11, 0.13);
    return c;
}
const QColor& quilloAccent() {
    static const QColor c = rgb(0.0, 0.549, 0.847);
    return c;
}
const QColor& cyanElectric() {
    static const QColor c = rgb(0.0, 0.85, 1.0);
    return c;
}
const QColor& timecodeBlue() {
    static const QColor c = rgb(0.4, 0.6, 1.0);
    return c;
}
const QColor& deepNavy() {
    static const QColor c = rgb(0.05, 0.1, 0.2);
    return c;
}
const QColor& vibrantBlue() {
    static const QColor c = rgb(0.2, 0.4, 0.9);
    return c;
}

const QColor& quilloDivider() {
    static const QColor c = white(0.08);
    return c;
}
const QColor& quilloHover() {
    static const QColor c = white(0.05);
    return c;
}
const QColor& quilloHoverSubtle() {
    static const QColor c = white(0.03);
    return c;
}
const QColor& quilloSelection() {
    static const QColor c = withOpacity(quilloAccent(), 0.25);
    return c;
}
const QColor& quilloAccentBackground() {
    static const QColor c = withOpacity(quilloAccent(), 0.2);
    return c;
}
const QColor& quilloAccentStroke() {
    static const QColor c = withOpacity(quilloAccent(), 0.5);
    return c;
}
const QColor& quilloAccentStrokeFaint() {
    static const QColor c = withOpacity(quilloAccent(), 0.3);
    return c;
}
const QColor& quilloChipFill() {
    static const QColor c = white(0.06);
    return c;
}
const QColor& quilloCardFill() {
    static const QColor c = white(0.05);
    return c;
}
const QColor& quilloCardFillRaised() {
    static const QColor c = white(0.1);
    return c;
}
const QColor& quilloTextSecondary() {
    static const QColor c = white(0.7);
    return c;
}
const QColor& quilloTextTertiary() {
    static const QColor c = white(0.5);
    return c;
}
const QColor& quilloRecording() { return red(); }
const QColor& quilloRecordingGlow() {
    static const QColor c = withOpacity(red(), 0.3);
    return c;
}

// The dark-scheme system colours (255, 69, 58), (255, 159, 10), (48, 209, 88), (10, 132, 255).
const QColor& red() {
    static const QColor c(255, 69, 58);
    return c;
}
const QColor& orange() {
    static const QColor c(255, 159, 10);
    return c;
}
const QColor& green() {
    static const QColor c(48, 209, 88);
    return c;
}
const QColor& blue() {
    static const QColor c(10, 132, 255);
    return c;
}

std::optional<QColor> fromHex(QStringView text) {
    QString digits = text.trimmed().toString();
    digits.remove(u'#');
    if (digits.size() != 6) return std::nullopt;

    qsizetype at = 0;
    if (digits.startsWith(u"0x") || digits.startsWith(u"0X")) at = 2;
    unsigned value = 0;
    int read = 0;
    for (; at < digits.size(); ++at) {
        const int digit = hexDigit(digits[at]);
        if (digit < 0) break;
        value = value * 16 + unsigned(digit);
        ++read;
    }
    if (read == 0) return std::nullopt;
    return QColor::fromRgbF(float((value >> 16) & 0xFF) / 255.0f, float((value >> 8) & 0xFF) / 255.0f,
                            float(value & 0xFF) / 255.0f);
}

}  // namespace quillo::Color
