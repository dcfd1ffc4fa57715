#pragma once

#include "QuilloDesignKit/QuilloTooltipPositioning.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QWidget;

namespace quillo {

class QuilloTooltipClock;
class QuilloTooltipPill;

// The application's own hover tooltip on one control. 350 ms after the pointer comes to rest on
// the control a pill fades in (0.1 s) above or below it, inside the control's window; leaving
// hides it at once, and so does a press, which still reaches the control. Waits are not
// cancelled: the first to end while the pointer is over the control shows the pill. A shown pill
// follows the control when it moves or the window is resized.
// The control's accessible name becomes the text, its description "Shortcut " and the shortcut.
class QuilloTooltip : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 350;

    // Owned by `control`. `clock` (the event loop's when null) must outlive the tooltip.
    QuilloTooltip(QWidget* control, const QString& text, const std::optional<QString>& shortcut, QuilloEdge edge,
                  QuilloTooltipClock* clock = nullptr);
    ~QuilloTooltip() override;

    QString text() const { return text_; }
    void setText(const QString& text);
    bool isHovering() const { return isHovering_; }
    bool isShown() const { return isShown_; }
    // The pill while one exists (it is made on first show), else null.
    QuilloTooltipPill* pill() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pointerEntered();
    void pointerLeft();
    void show();
    void hide();
    void place();

    QWidget* control_;
    QString text_;
    std::optional<QString> shortcut_;
    QuilloEdge edge_;
    QuilloTooltipClock* clock_;
    bool isHovering_ = false;
    bool isShown_ = false;
    QPointer<QuilloTooltipPill> pill_;
};

// Attaches a tooltip to `control` and returns it (owned by the control).
QuilloTooltip* quilloTooltip(QWidget* control, const QString& text, const std::optional<QString>& shortcut = {},
                             QuilloEdge edge = QuilloEdge::bottom);

}  // namespace quillo
