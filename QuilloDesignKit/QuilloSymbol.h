#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainterPath>
#include <QRectF>
#include <QStringList>
#include <QStringView>

class QPainter;

// The system-symbol names the views use, drawn by us as vector shapes so that they stay crisp at
// every device pixel ratio. A symbol fills a square box whose side is its point size.
namespace quillo::QuilloSymbol {

// Every name that has a drawing, sorted.
QStringList names();
bool hasDrawing(QStringView name);

// The symbol as one filled shape in the unit square (0...1 on both axes); strokes are outlined at
// the thickness of `weight`. Empty for a name without a drawing.
QPainterPath shape(QStringView name, QFont::Weight weight = QFont::Normal);

// Paints the symbol into `box` in `color`. Nothing is painted for a name without a drawing.
void paint(QPainter& painter, const QRectF& box, QStringView name, const QColor& color,
           QFont::Weight weight = QFont::Normal);

// An icon that draws the symbol at whatever size and pixel ratio it is asked for; disabled icons
// are drawn at half opacity.
QIcon icon(const QString& name, const QColor& color, QFont::Weight weight = QFont::Normal);

}  // namespace quillo::QuilloSymbol
