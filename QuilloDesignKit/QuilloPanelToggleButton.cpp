#include "QuilloDesignKit/QuilloPanelToggleButton.h"

#include "QuilloDesignKit/QuilloColor.h"

namespace quillo {

namespace {
const QColor& colorFor(bool active) { return active ? Color::quilloAccent() : Color::quilloTextSecondary(); }
}  // namespace

QuilloPanelToggleButton::QuilloPanelToggleButton(const QString& icon, bool isActive, const QString& help,
                                                 std::function<void()> action, QWidget* parent)
    : QuilloSymbolButton(icon, 13, QFont::Medium, colorFor(isActive), help, QuilloEdge::bottom, parent),
      isActive_(isActive) {
    setCheckable(true);
    setChecked(isActive);
    if (action) connect(this, &QAbstractButton::clicked, this, std::move(action));
}

void QuilloPanelToggleButton::setActive(bool active) {
    isActive_ = active;
    setChecked(active);
    setColor(colorFor(active));
}

}  // namespace quillo
