#pragma once

#include "QuilloDesignKit/QuilloSymbolButton.h"

#include <functional>

namespace quillo {

// A toolbar symbol (13 points, medium) in the accent colour while its panel is open and in the
// secondary text colour otherwise, with the help text as tooltip below it; checked while open.
class QuilloPanelToggleButton : public QuilloSymbolButton {
    Q_OBJECT
public:
    QuilloPanelToggleButton(const QString& icon, bool isActive, const QString& help, std::function<void()> action,
                            QWidget* parent = nullptr);

    bool isActive() const { return isActive_; }
    void setActive(bool active);

private:
    bool isActive_;
};

}  // namespace quillo
