#pragma once

#include <QColor>
#include <QStringView>

#include <optional>

// The colour tokens of the dark window. Each is made once, on first use, and shared afterwards
// (function-local statics: thread-safe one-time initialisation). Components are sRGB.
namespace quillo::Color {

// Base colours, opaque.
const QColor& quilloBase();
const QColor& quilloSurface();
const QColor& quilloAccent();
const QColor& cyanElectric();
const QColor& timecodeBlue();
const QColor& deepNavy();
const QColor& vibrantBlue();

// Derived colours: a colour at an opacity. "primary" is white in the dark scheme.
const QColor& quilloDivider();            // white 0.08
const QColor& quilloHover();              // primary 0.05
const QColor& quilloHoverSubtle();        // primary 0.03
const QColor& quilloSelection();          // accent 0.25
const QColor& quilloAccentBackground();   // accent 0.2
const QColor& quilloAccentStroke();       // accent 0.5
const QColor& quilloAccentStrokeFaint();  // accent 0.3
const QColor& quilloChipFill();           // white 0.06
const QColor& quilloCardFill();           // white 0.05
const QColor& quilloCardFillRaised();     // white 0.1
const QColor& quilloTextSecondary();      // white 0.7
const QColor& quilloTextTertiary();       // white 0.5
const QColor& quilloRecording();          // red 1
const QColor& quilloRecordingGlow();      // red 0.3

// The system colours the views name, at their dark-scheme values.
const QColor& red();
const QColor& orange();
const QColor& green();
const QColor& blue();

// `color` with its alpha replaced by `opacity` (0...1); the components are kept.
QColor withOpacity(const QColor& color, double opacity);

// Colour from "#RRGGBB" text. White space around the text and every "#" are dropped; the rest
// must be exactly six characters. They are read as one hexadecimal number with an optional 0x/0X
// prefix, stopping at the first non-digit (so "12345G" reads 0x12345 and "0x1234" reads 0x1234);
// no digit at all yields nothing. The result is opaque.
std::optional<QColor> fromHex(QStringView text);

}  // namespace quillo::Color
