#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace quillo {

class MiddleElidedLabel;

// The Details panel's content: the selected to-do's kind and status, its whole text (selectable) and
// where it sits, or a hint while nothing is selected.
class DetailsPanelContent : public QWidget {
    Q_OBJECT

public:
    explicit DetailsPanelContent(QWidget* parent = nullptr);

    const std::optional<TodoItem>& item() const noexcept { return item_; }
    void setItem(const std::optional<TodoItem>& item);

    // What the panel shows, for tests and assistive technology: the hint, or the badges' texts, the
    // item's text and each detail row as "label: value".
    QStringList shownTexts() const;

private:
    QWidget* hint_;
    QWidget* details_;
    // One badge per kind and per status, made once; the item's two are shown.
    std::vector<QWidget*> kindBadges_;
    std::vector<QWidget*> statusBadges_;
    QLabel* text_;
    std::vector<std::pair<QLabel*, MiddleElidedLabel*>> rows_;
    std::optional<TodoItem> item_;
};

}  // namespace quillo
