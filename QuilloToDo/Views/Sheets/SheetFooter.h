#pragma once

#include <QWidget>

class QHBoxLayout;
class QPushButton;

namespace quillo {

// A sheet's button row, inset by the standard margin: optional leading buttons, a flexible space,
// "Cancel" (Escape, through the dialog) and the primary button, the dialog's default (Return).
class SheetFooter : public QWidget {
    Q_OBJECT
public:
    explicit SheetFooter(QWidget* parent = nullptr);

    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* primaryButton() const { return primary_; }
    // A button before the flexible space; it never takes Return.
    QPushButton* addLeadingButton(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QHBoxLayout* row_;
    QPushButton* cancel_;
    QPushButton* primary_;
};

}  // namespace quillo
