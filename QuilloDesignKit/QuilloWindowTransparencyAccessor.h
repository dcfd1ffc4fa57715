#pragma once

#include <QSize>
#include <QWidget>

#include <optional>

namespace quillo {

// An invisible child that, on the event loop's next turn, makes the window it sits in see-through
// and title-less (platform::makeWindowTransparent), once. If by then it has not been placed in a
// window, nothing is changed and nothing is tried again.
class QuilloWindowTransparencyAccessor : public QWidget {
    Q_OBJECT
public:
    explicit QuilloWindowTransparencyAccessor(std::optional<QSize> minSize, QWidget* parent = nullptr);

private:
    void styleWindow();

    std::optional<QSize> minSize_;
};

// Puts an accessor into `content`, the window's content widget.
void quilloTransparentWindow(QWidget* content, std::optional<QSize> minSize);

}  // namespace quillo
