#include "QuilloDesignKit/QuilloGlassBackground.h"

#include "Platform/WindowSystem/VisualEffectBackdrop.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloPainting.h"

#include <QPainter>

namespace quillo {

namespace {

void paintRoundedGlass(QPainter& painter, const QRectF& rect, double radius, double opacity, double hairline,
                       const QWidget* widget) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(QuilloPainting::roundedRect(rect, radius), Qt::IntersectClip);
    platform::paintVisualEffect(painter, rect, platform::VisualEffectMaterial::ultraThin,
                                platform::VisualEffectBlendingMode::withinWindow, widget);
    painter.restore();
    QuilloPainting::fillRoundedRect(painter, rect, radius, Color::withOpacity(Qt::black, opacity));
    QuilloPainting::strokeInsideRoundedRect(painter, rect, radius, Color::withOpacity(Qt::white, hairline));
}

}  // namespace

void QuilloGlassBackground::paint(QPainter& painter, const QRectF& rect, const QWidget* widget) const {
    paintRoundedGlass(painter, rect, cornerRadius, opacity, 0.08, widget);
}

void QuilloGlassBackgroundCompact::paint(QPainter& painter, const QRectF& rect, const QWidget* widget) const {
    paintRoundedGlass(painter, rect, cornerRadius, opacity, 0.1, widget);
}

void QuilloGlassBackgroundEdgeToEdge::paint(QPainter& painter, const QRectF& rect, const QWidget* widget) const {
    platform::paintVisualEffect(painter, rect, platform::VisualEffectMaterial::ultraThin,
                                platform::VisualEffectBlendingMode::withinWindow, widget);
    painter.fillRect(rect, Color::withOpacity(Qt::black, opacity));
}

}  // namespace quillo
