#pragma once

#include "Platform/WindowSystem/VisualEffectBackdrop.h"

#include <QWidget>

namespace quillo {

// The frosted backdrop of a material, filling the widget (see platform::paintVisualEffect).
class QuilloVisualEffectView : public QWidget {
    Q_OBJECT
public:
    QuilloVisualEffectView(platform::VisualEffectMaterial material, platform::VisualEffectBlendingMode blendingMode,
                           QWidget* parent = nullptr);

    void setMaterial(platform::VisualEffectMaterial material);
    void setBlendingMode(platform::VisualEffectBlendingMode mode);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    platform::VisualEffectMaterial material_;
    platform::VisualEffectBlendingMode blendingMode_;
};

}  // namespace quillo
