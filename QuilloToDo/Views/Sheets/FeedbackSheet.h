#pragma once

#include "QuilloToDo/Views/Sheets/FeedbackSources.h"

#include <QByteArray>
#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillo {

class SheetStatusLine;
struct FeedbackPayload;

// The form in which the user writes feedback: a text, optionally a screenshot of the main window,
// an optional reply address and a preview of what is sent along. Sending hands the feedback to the
// feedback service, which stores it and delivers it in the background; the sheet thanks the user at
// once and closes 1.5 seconds later, whatever the network does. A build without a feedback address
// says so and never sends. A window-modal dialog: Return sends, Escape cancels.
class FeedbackSheet : public QDialog {
    Q_OBJECT
public:
    // The top-level widget carrying this property (true) is the window a screenshot shows.
    static constexpr const char* kMainWindowProperty = "quilloMainWindow";
    static constexpr int kCloseDelayMilliseconds = 1500;

    // `herkunft`: the area the sheet was opened from; empty from the main window.
    FeedbackSheet(FeedbackSources sources, QString herkunft, QWidget* parent);

    // "QuilloToDo", or "QuilloToDo – " and the area.
    QString appModule() const;
    const QString& herkunft() const { return herkunft_; }
    bool isSending() const { return sending_; }
    QString status() const { return status_; }
    std::optional<bool> statusOK() const { return statusOK_; }
    const std::optional<QByteArray>& screenshotData() const { return screenshotData_; }

    // The byte count in kilobytes ("%.0f KB"), from 1024 kilobytes on in megabytes ("%.1f MB").
    static QString formatBytes(qint64 byteCount);
    // The main window's content as PNG: the first visible top-level window that carries
    // kMainWindowProperty, else the first visible one that is no dialog. Absent when there is none
    // or encoding fails.
    static std::optional<QByteArray> captureMainWindowPNG();
    // What sending now would hand to the service, diagnostics aside.
    FeedbackPayload payload(const QString& diagnose) const;

    // Sends (the "Send Feedback" button): queues the feedback with the service, thanks the user and
    // closes the sheet 1.5 seconds later.
    void senden();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void laden();
    void erstelleScreenshot();
    void screenshotToggled(bool on);
    void showScreenshot();
    void showStatus();
    void updateSendButton();
    bool canSend() const;

    FeedbackSources sources_;
    QString herkunft_;
    bool hasFeedbackAddress_;
    bool loaded_ = false;
    bool sending_ = false;
    QString status_;
    std::optional<bool> statusOK_;
    std::optional<QByteArray> screenshotData_;
    quint64 captureGeneration_ = 0;

    QPlainTextEdit* text_ = nullptr;
    QCheckBox* screenshotMitschicken_ = nullptr;
    QWidget* screenshotImageRow_ = nullptr;
    QLabel* screenshotImage_ = nullptr;
    QLabel* screenshotSize_ = nullptr;
    QWidget* capturingRow_ = nullptr;
    QLabel* userName_ = nullptr;
    QLineEdit* replyEmail_ = nullptr;
    QLabel* appVersion_ = nullptr;
    QLabel* osVersion_ = nullptr;
    SheetStatusLine* statusLine_ = nullptr;
    QPushButton* sendButton_ = nullptr;
};

}  // namespace quillo
