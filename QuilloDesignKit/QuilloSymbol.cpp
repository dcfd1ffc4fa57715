#include "QuilloDesignKit/QuilloSymbol.h"

#include "QuilloDesignKit/QuilloSymbolIconEngine.h"
#include "QuilloDesignKit/QuilloSymbolShapes.h"

#include <QHash>
#include <QMutex>
#include <QPainter>

namespace quillo::QuilloSymbol {

namespace {

// Line thickness as a share of the symbol's size, heavier faces drawing thicker lines.
double strokeFor(QFont::Weight weight) {
    if (weight >= QFont::Black) return 0.15;
    if (weight >= QFont::ExtraBold) return 0.14;
    if (weight >= QFont::Bold) return 0.125;
    if (weight >= QFont::DemiBold) return 0.115;
    if (weight >= QFont::Medium) return 0.1;
    return 0.09;
}

}  // namespace

QStringList names() {
    QStringList result;
    for (const auto& [name, drawing] : QuilloSymbolShapes::drawings()) result << name;
    return result;
}

bool hasDrawing(QStringView name) { return QuilloSymbolShapes::drawings().contains(name.toString()); }

QPainterPath shape(QStringView name, QFont::Weight weight) {
    // Outlining and merging is the costly part; each shape is built once per weight.
    static QMutex mutex;
    static QHash<QString, QPainterPath> cache;
    const QString key = name.toString() + u'@' + QString::number(int(weight));
    QMutexLocker lock(&mutex);
    if (auto found = cache.constFind(key); found != cache.constEnd()) return *found;
    const auto& table = QuilloSymbolShapes::drawings();
    const auto drawing = table.find(name.toString());
    if (drawing == table.end()) return {};
    // Outlines and boolean results come out without crossing edges, for the odd-even fill rule.
    const QPainterPath path = drawing->second(strokeFor(weight));
    cache.insert(key, path);
    return path;
}

void paint(QPainter& painter, const QRectF& box, QStringView name, const QColor& color, QFont::Weight weight) {
    const QPainterPath path = shape(name, weight);
    if (path.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width(), box.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path);
    painter.restore();
}

QIcon icon(const QString& name, const QColor& color, QFont::Weight weight) {
    return QIcon(new QuilloSymbolIconEngine(name, color, weight));
}

}  // namespace quillo::QuilloSymbol
