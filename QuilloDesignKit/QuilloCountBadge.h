#pragma once

#include <QColor>
#include <QWidget>

#include <cstdint>

namespace quillo {

// A count in decimal (zero as "0", negatives with their minus), semibold 12 in `tint`, without
// background. Every digit takes the width of the widest, so the badge does not jitter as it counts.
class QuilloCountBadge : public QWidget {
    Q_OBJECT
public:
    QuilloCountBadge(std::int64_t count, const QColor& tint, QWidget* parent = nullptr);

    std::int64_t count() const { return count_; }
    void setCount(std::int64_t count);
    QString text() const;
    void setTint(const QColor& tint);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double digitWidth() const;

    std::int64_t count_;
    QColor tint_;
};

}  // namespace quillo
