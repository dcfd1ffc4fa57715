#pragma once

#include "QuilloToDo/Views/SidebarModel/SidebarEventCard.h"

#include <QAbstractButton>
#include <QWidget>

#include <string>

class QVariantAnimation;

namespace quillo {

class QuilloCountBadge;
class QuilloSymbolButton;
class TimelineToggleRow;

// One event of the sidebar on a rounded card: a header that folds the event open (with its count
// while folded) and a check box for all its timelines, then one row per timeline while open. A
// lone event shows only its rows. It asks for changes through its signals and keeps no state.
class EventCard : public QWidget {
    Q_OBJECT
public:
    explicit EventCard(SidebarEventCard card, QWidget* parent = nullptr);

    const SidebarEventCard& card() const { return card_; }
    // Absent without a header.
    QAbstractButton* headerButton() const { return headerButton_; }
    QuilloCountBadge* badge() const { return badge_; }
    QuilloSymbolButton* checkbox() const { return checkbox_; }
    const QList<TimelineToggleRow*>& rows() const { return rows_; }

    // Takes the counts of a card with the same controls (see hasSameControls), in place: a keystroke
    // in the search field changes only the numbers, and new widgets would cost far more, above all
    // for assistive technology.
    void showCounts(const SidebarEventCard& card);

    // Grows or shrinks from `height` to the card's own height over the layout animation (at once
    // while the window is hidden or animations are off).
    void growFrom(int height);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void toggleExpandedRequested();
    // Every timeline of the event, included or excluded as a whole.
    void allTimelinesRequested(bool included);
    void timelineToggleRequested(const std::string& timelineID);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    SidebarEventCard card_;
    QWidget* sheet_;  // the header and rows, at their own height
    QVariantAnimation* growth_;
    QAbstractButton* headerButton_ = nullptr;
    QuilloCountBadge* badge_ = nullptr;
    QuilloSymbolButton* checkbox_ = nullptr;
    QList<TimelineToggleRow*> rows_;
};

}  // namespace quillo
