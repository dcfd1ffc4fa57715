#pragma once

#include <QAbstractButton>

#include <cstdint>

namespace quillo {

class QuilloCountBadge;

// One timeline in an expanded event card: a check box, the name cut in the middle and the count of
// its shown markers. The whole row is one check box (checked while included); a click or Space
// asks to switch the timeline.
class TimelineToggleRow : public QAbstractButton {
    Q_OBJECT
public:
    TimelineToggleRow(const QString& name, bool isIncluded, std::int64_t count, QWidget* parent = nullptr);

    bool isIncluded() const { return isIncluded_; }
    const QuilloCountBadge& badge() const { return *badge_; }
    void setCount(std::int64_t count);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The owner switches the timeline and shows the result.
    void nextCheckState() override {}

private:
    void placeBadge();

    bool isIncluded_;
    QuilloCountBadge* badge_;
};

}  // namespace quillo
