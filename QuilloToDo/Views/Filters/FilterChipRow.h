#pragma once

#include <QList>
#include <QScrollArea>

class QHBoxLayout;

namespace quillo {

// A row of chips that scrolls sideways, without scroll bars, when it is wider than its room. A plain
// vertical mouse wheel scrolls it sideways too: most wheels turn only that way, and chips beyond the
// right edge would otherwise be out of reach.
class FilterChipRow : public QScrollArea {
    Q_OBJECT

public:
    explicit FilterChipRow(QWidget* parent = nullptr);

    // The row takes ownership of the chips, replacing (and deleting) those it had.
    void setChips(const QList<QWidget*>& chips);
    QList<QWidget*> chips() const { return chips_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    QWidget* strip_;
    QHBoxLayout* layout_;
    QList<QWidget*> chips_;
};

}  // namespace quillo
