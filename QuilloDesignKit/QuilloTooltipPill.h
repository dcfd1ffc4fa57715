#pragma once

#include <QString>
#include <QWidget>

#include <optional>

namespace quillo {

// The tooltip's dark pill: the text (Medium 12, white 0.9, centred, wrapping) and an optional
// shortcut line (Regular 12, tertiary) on a rounded rectangle (radius 6) with a faint hairline,
// never wider than 220 points. It takes no clicks.
class QuilloTooltipPill : public QWidget {
    Q_OBJECT
public:
    QuilloTooltipPill(const QString& text, const std::optional<QString>& shortcut, QWidget* parent);

    void setText(const QString& text);
    QSize sizeHint() const override;

    static constexpr double kMaximumWidth = 220;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF textRect(double width) const;

    QString text_;
    std::optional<QString> shortcut_;
};

}  // namespace quillo
