#include "QuilloDesignKit/QuilloSymbolShapes.h"

#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace quillo::QuilloSymbolShapes {

namespace {

// Shapes are built at this many units per symbol and scaled to the unit square at the end:
// outlining and boolean operations flatten curves at a fixed tolerance in path units, which in
// the unit square itself would turn every circle into an octagon.
constexpr double kUnits = 256;

QPainterPath up(const QPainterPath& unitPath) { return QTransform::fromScale(kUnits, kUnits).map(unitPath); }

// Outline of a line drawn through `path` (built with the helpers below) at width `w` of the symbol,
// with round ends and joins.
QPainterPath stroked(const QPainterPath& path, double w) {
    QPainterPathStroker stroker;
    stroker.setWidth(w * kUnits);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    return up(path);
}

QPainterPath disc(QPointF centre, double r) {
    QPainterPath path;
    path.addEllipse(centre * kUnits, r * kUnits, r * kUnits);
    return path;
}

QPainterPath ring(QPointF centre, double r, double w) { return stroked(disc(centre, r), w); }

QPainterPath roundedBox(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect.topLeft() * kUnits, rect.size() * kUnits), radius * kUnits, radius * kUnits);
    return path;
}

QPainterPath merged(std::initializer_list<QPainterPath> parts) {
    QPainterPath result;
    for (const QPainterPath& part : parts) result = result.united(part);
    return result;
}

const QPointF kCentre(0.5, 0.5);
constexpr double kCircleRadius = 0.45;

QPainterPath checkmark(double scale = 1.0) {
    auto at = [scale](double x, double y) { return QPointF(0.5 + (x - 0.5) * scale, 0.5 + (y - 0.5) * scale); };
    return polyline({at(0.28, 0.52), at(0.44, 0.68), at(0.72, 0.34)});
}

QPainterPath xmarkLines(double inset) {
    QPainterPath path = polyline({{inset, inset}, {1 - inset, 1 - inset}});
    path.addPath(polyline({{1 - inset, inset}, {inset, 1 - inset}}));
    return path;
}

QPainterPath exclamation(double w, double top, double bottom, double dotY) {
    return merged({stroked(polyline({{0.5, top}, {0.5, bottom}}), w), disc({0.5, dotY}, w * 0.65)});
}

// A filled circle with `cut` knocked out of it.
QPainterPath filledCircleWithout(const QPainterPath& cut) { return disc(kCentre, kCircleRadius).subtracted(cut); }

QPainterPath filledSquareWithout(const QPainterPath& cut) {
    return roundedBox({0.07, 0.07, 0.86, 0.86}, 0.2).subtracted(cut);
}

QPainterPath checklistRows(double w, std::initializer_list<int> marks) {
    // marks per row: 1 a checkmark, 0 an empty box.
    QPainterPath result;
    double y = 0.22;
    for (int mark : marks) {
        QPainterPath row = stroked(polyline({{0.45, y}, {0.92, y}}), w);
        if (mark == 1)
            row = row.united(stroked(polyline({{0.08, y}, {0.16, y + 0.08}, {0.3, y - 0.09}}), w * 0.9));
        else
            row = row.united(stroked(roundedBox({0.1, y - 0.08, 0.17, 0.16}, 0.04), w * 0.8));
        result = result.united(row);
        y += 0.28;
    }
    return result;
}

QPainterPath sparkle(QPointF c, double r) {
    const double k = r * 0.28;
    QPainterPath path;
    path.moveTo(c.x(), c.y() - r);
    path.quadTo(c.x() + k, c.y() - k, c.x() + r, c.y());
    path.quadTo(c.x() + k, c.y() + k, c.x(), c.y() + r);
    path.quadTo(c.x() - k, c.y() + k, c.x() - r, c.y());
    path.quadTo(c.x() - k, c.y() - k, c.x(), c.y() - r);
    path.closeSubpath();
    return up(path);
}

QPainterPath arrowHead(QPointF tip, double angleRadians, double length) {
    // Two barbs opening 40 degrees either side of the direction opposite to travel.
    const double spread = 0.7;
    const QPointF a(tip.x() - length * std::cos(angleRadians - spread),
                    tip.y() - length * std::sin(angleRadians - spread));
    const QPointF b(tip.x() - length * std::cos(angleRadians + spread),
                    tip.y() - length * std::sin(angleRadians + spread));
    return polyline({a, tip, b});
}

std::map<QString, Drawing, std::less<>> makeDrawings() {
    std::map<QString, Drawing, std::less<>> d;

    d["xmark"] = [](double w) { return stroked(xmarkLines(0.2), w * 1.1); };
    d["minus"] = [](double w) { return stroked(polyline({{0.15, 0.5}, {0.85, 0.5}}), w * 1.1); };
    d["plus"] = [](double w) {
        QPainterPath lines = polyline({{0.15, 0.5}, {0.85, 0.5}});
        lines.addPath(polyline({{0.5, 0.15}, {0.5, 0.85}}));
        return stroked(lines, w * 1.1);
    };
    d["chevron.right"] = [](double w) { return stroked(polyline({{0.36, 0.15}, {0.68, 0.5}, {0.36, 0.85}}), w * 1.2); };
    d["circle"] = [](double w) { return ring(kCentre, kCircleRadius - w / 2, w); };
    d["square"] = [](double w) {
        return stroked(roundedBox({0.07 + w / 2, 0.07 + w / 2, 0.86 - w, 0.86 - w}, 0.18), w);
    };
    d["checkmark.circle"] = [](double w) {
        return merged({ring(kCentre, kCircleRadius - w / 2, w), stroked(checkmark(0.9), w)});
    };
    d["checkmark.circle.fill"] = [](double w) { return filledCircleWithout(stroked(checkmark(), w * 1.2)); };
    d["checkmark.square.fill"] = [](double w) { return filledSquareWithout(stroked(checkmark(), w * 1.2)); };
    d["minus.square.fill"] = [](double w) {
        return filledSquareWithout(stroked(polyline({{0.27, 0.5}, {0.73, 0.5}}), w * 1.3));
    };
    d["xmark.circle.fill"] = [](double w) { return filledCircleWithout(stroked(xmarkLines(0.32), w * 1.1)); };
    d["exclamationmark.circle.fill"] = [](double w) {
        return filledCircleWithout(exclamation(w * 1.2, 0.24, 0.56, 0.74));
    };
    d["exclamationmark.triangle.fill"] = [](double w) {
        QPainterPath triangle = stroked(polyline({{0.5, 0.1}, {0.92, 0.86}, {0.08, 0.86}, {0.5, 0.1}}), 0.12);
        triangle = triangle.united(QPainterPath(polyline({{0.5, 0.1}, {0.92, 0.86}, {0.08, 0.86}})));
        return triangle.subtracted(exclamation(w * 1.2, 0.36, 0.62, 0.76));
    };
    d["questionmark.circle"] = [](double w) {
        QPainterPath hook;
        hook.moveTo(0.36, 0.4);
        hook.cubicTo(0.36, 0.24, 0.64, 0.22, 0.64, 0.39);
        hook.cubicTo(0.64, 0.5, 0.5, 0.5, 0.5, 0.6);
        return merged({ring(kCentre, kCircleRadius - w / 2, w), stroked(up(hook), w), disc({0.5, 0.74}, w * 0.7)});
    };
    d["mappin.circle.fill"] = [](double w) {
        const QPainterPath pin = merged({disc({0.5, 0.4}, 0.13), stroked(polyline({{0.5, 0.45}, {0.5, 0.76}}), w)});
        return filledCircleWithout(pin);
    };
    d["bookmark.fill"] = [](double) {
        QPainterPath path;
        path.moveTo(0.3, 0.06);
        path.lineTo(0.7, 0.06);
        path.quadTo(0.78, 0.06, 0.78, 0.14);
        path.lineTo(0.78, 0.94);
        path.lineTo(0.5, 0.72);
        path.lineTo(0.22, 0.94);
        path.lineTo(0.22, 0.14);
        path.quadTo(0.22, 0.06, 0.3, 0.06);
        path.closeSubpath();
        return up(path);
    };
    d["folder.fill"] = [](double) {
        QPainterPath tab = roundedBox({0.05, 0.16, 0.4, 0.2}, 0.06);
        QPainterPath body = roundedBox({0.05, 0.26, 0.9, 0.6}, 0.08);
        return tab.united(body);
    };
    d["person.fill"] = [](double) {
        QPainterPath body;
        body.moveTo(0.14, 0.92);
        body.cubicTo(0.14, 0.62, 0.86, 0.62, 0.86, 0.92);
        body.closeSubpath();
        return disc({0.5, 0.3}, 0.2).united(up(body));
    };
    d["magnifyingglass"] = [](double w) {
        return merged({ring({0.42, 0.42}, 0.28, w), stroked(polyline({{0.63, 0.63}, {0.88, 0.88}}), w * 1.4)});
    };
    d["checklist"] = [](double w) { return checklistRows(w, {1, 1, 0}); };
    d["checklist.checked"] = [](double w) { return checklistRows(w, {1, 1, 1}); };
    d["checklist.unchecked"] = [](double w) { return checklistRows(w, {0, 0, 0}); };
    d["sidebar.leading"] = [](double w) {
        QPainterPath frame = stroked(roundedBox({0.06, 0.14, 0.88, 0.72}, 0.12), w);
        QPainterPath lines = polyline({{0.38, 0.14}, {0.38, 0.86}});
        lines.addPath(polyline({{0.15, 0.3}, {0.27, 0.3}}));
        lines.addPath(polyline({{0.15, 0.42}, {0.27, 0.42}}));
        return frame.united(stroked(lines, w));
    };
    d["arrow.clockwise"] = [](double w) {
        const double r = 0.34;
        const QRectF bounds(0.5 - r, 0.54 - r, 2 * r, 2 * r);
        QPainterPath arc;
        arc.arcMoveTo(bounds, 50);
        arc.arcTo(bounds, 50, -310);
        const double end = 100 * std::numbers::pi / 180;
        const QPointF tip(0.5 + r * std::cos(end), 0.54 - r * std::sin(end));
        return stroked(up(arc), w).united(stroked(arrowHead(tip + QPointF(0.04, 0.0), 0.0, 0.15), w));
    };
    d["arrow.up.left.and.arrow.down.right"] = [](double w) {
        QPainterPath lines = polyline({{0.14, 0.14}, {0.42, 0.42}});
        lines.addPath(polyline({{0.58, 0.58}, {0.86, 0.86}}));
        lines.addPath(polyline({{0.14, 0.44}, {0.14, 0.14}, {0.44, 0.14}}));
        lines.addPath(polyline({{0.86, 0.56}, {0.86, 0.86}, {0.56, 0.86}}));
        return stroked(lines, w * 1.1);
    };
    d["doc.text.magnifyingglass"] = [](double w) {
        QPainterPath page = polyline({{0.5, 0.9}, {0.16, 0.9}, {0.16, 0.06}, {0.56, 0.06}, {0.78, 0.28}, {0.78, 0.44}});
        page.addPath(polyline({{0.3, 0.36}, {0.56, 0.36}}));
        page.addPath(polyline({{0.3, 0.52}, {0.48, 0.52}}));
        return merged({stroked(page, w * 0.9), ring({0.7, 0.68}, 0.13, w),
                       stroked(polyline({{0.8, 0.78}, {0.93, 0.92}}), w * 1.2)});
    };
    d["envelope.badge"] = [](double w) {
        QPainterPath envelope = stroked(roundedBox({0.06, 0.26, 0.72, 0.56}, 0.08), w);
        envelope = envelope.united(stroked(polyline({{0.1, 0.3}, {0.42, 0.56}, {0.74, 0.3}}), w));
        return envelope.subtracted(disc({0.8, 0.26}, 0.2)).united(disc({0.8, 0.26}, 0.14));
    };
    d["wand.and.stars"] = [](double w) {
        return merged({stroked(polyline({{0.12, 0.88}, {0.6, 0.4}}), w * 1.3), sparkle({0.7, 0.24}, 0.16),
                       sparkle({0.86, 0.56}, 0.1), sparkle({0.38, 0.14}, 0.09)});
    };
    d["waveform.path.ecg"] = [](double w) {
        return stroked(polyline({{0.04, 0.52},
                                 {0.28, 0.52},
                                 {0.36, 0.34},
                                 {0.47, 0.84},
                                 {0.58, 0.14},
                                 {0.67, 0.64},
                                 {0.73, 0.52},
                                 {0.96, 0.52}}),
                       w);
    };
    return d;
}

}  // namespace

const std::map<QString, Drawing, std::less<>>& drawings() {
    static const auto table = [] {
        auto built = makeDrawings();
        for (auto& [name, drawing] : built)
            drawing = [inner = std::move(drawing)](double stroke) {
                return QTransform::fromScale(1 / kUnits, 1 / kUnits).map(inner(stroke));
            };
        return built;
    }();
    return table;
}

}  // namespace quillo::QuilloSymbolShapes
