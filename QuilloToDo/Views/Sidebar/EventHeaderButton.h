#pragma once

#include <QAbstractButton>

namespace quillo {

// An event card's header: the chevron (turned down while the card is open) and the title cut in
// the middle, one button that folds the card. Space or Return folds it too; assistive technology
// reads it as expanded or collapsed.
class EventHeaderButton : public QAbstractButton {
    Q_OBJECT
public:
    EventHeaderButton(const QString& title, bool isExpanded, QWidget* parent = nullptr);

    bool isExpanded() const { return isExpanded_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isExpanded_;
};

}  // namespace quillo
