#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QUrl>

class QLabel;
class QPushButton;
class QTextEdit;

namespace platform {

// What a check found, told the user: an icon, a headline, the message, and "Open Download Page"
// (which opens `link`) beside "Close" when there is a link, else "OK". Deletes itself when closed.
//
// The message carries the feed's and the server's words, untrusted and of any length: it is plain
// text (markup shows as typed, nothing is a link), selectable with the mouse, and broken anywhere a
// line must break, so that a version or a reason without spaces is shown whole. Past
// kMaximumMessageHeight it scrolls.
class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMessageWidth = 440;          // pixels; shorter messages take their own width
    static constexpr int kMaximumMessageHeight = 320;  // pixels

    UpdateDialog(const QString& headline, const QString& message, QMessageBox::Icon icon, const QUrl& link,
                 QWidget* parent = nullptr);

    QString headline() const;
    QString message() const;
    QTextEdit* messageView() const noexcept { return message_; }
    QPushButton* defaultButton() const noexcept { return defaultButton_; }

private:
    QLabel* headline_;
    QTextEdit* message_;
    QPushButton* defaultButton_ = nullptr;
};

}  // namespace platform
