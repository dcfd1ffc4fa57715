#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Services/FeedbackService.h"
#include "QuilloToDo/Views/Forms/GroupedForm.h"
#include "QuilloToDo/Views/Sheets/SheetFooter.h"
#include "QuilloToDo/Views/Sheets/SheetHeader.h"
#include "QuilloToDo/Views/Sheets/SheetStatusLine.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloDivider.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

namespace quillo {

namespace {

constexpr int kScreenshotMaxHeight = 160;

// The short account name of the user running the program.
QString loginName() {
    if (const passwd* account = getpwuid(geteuid()); account && account->pw_name) {
        return QString::fromLocal8Bit(account->pw_name);
    }
    return qEnvironmentVariable("USER");
}

bool isSheet(const QWidget* window) { return qobject_cast<const QDialog*>(window) && window->parentWidget(); }

// The picture scaled to fit `maxHeight` and the available width, with corners rounded at 6.
QPixmap roundedPreview(const QImage& image, int maxWidth) {
    const QSize size = image.size().scaled(QSize(maxWidth, kScreenshotMaxHeight), Qt::KeepAspectRatio);
    QPixmap preview(size);
    preview.fill(Qt::transparent);
    QPainter painter(&preview);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), 6, 6);
    painter.setClipPath(clip);
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    return preview;
}

}  // namespace

FeedbackSheet::FeedbackSheet(FeedbackSources sources, QString herkunft, QWidget* parent)
    : QDialog(parent),
      sources_(sources),
      herkunft_(std::move(herkunft)),
      hasFeedbackAddress_(!FeedbackService::configuredBaseURL().isEmpty()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Send Feedback"));
    setFixedSize(540, 540);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new SheetHeader(QStringLiteral("envelope.badge"), Color::blue(),
                                      QStringLiteral("Feedback to Jorv"),
                                      QStringLiteral("Goes straight in. Nothing to copy or paste.")));
    layout->addWidget(new QuilloDivider);

    auto* form = new GroupedForm;
    form->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(form, 1);

    GroupedFormSection* feedback = form->addSection(QStringLiteral("Your Feedback"));
    text_ = new QPlainTextEdit;
    text_->setMinimumHeight(140);
    text_->setAccessibleName(QStringLiteral("Your Feedback"));
    text_->setTabChangesFocus(true);  // Tab goes on to the next control instead of into the text
    text_->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid rgba(255, 255, 255, 50); }"));
    feedback->addRow(text_);
    feedback->addCaption(QStringLiteral("What's broken / what would be cool / where are you stuck?"));

    GroupedFormSection* optional = form->addSection(QStringLiteral("Optional"));
    screenshotMitschicken_ = new QCheckBox(QStringLiteral("Include current screenshot"));
    optional->addRow(screenshotMitschicken_);
    auto* imageColumn = new QWidget;
    auto* imageLayout = new QVBoxLayout(imageColumn);
    imageLayout->setContentsMargins(0, 0, 0, 0);
    screenshotImage_ = new QLabel;
    screenshotImage_->setAccessibleName(QStringLiteral("Screenshot"));
    screenshotSize_ = new QLabel;
    screenshotSize_->setFont(SheetFonts::caption());
    setSecondaryText(screenshotSize_);
    imageLayout->addWidget(screenshotImage_);
    imageLayout->addWidget(screenshotSize_);
    screenshotImageRow_ = optional->addRow(imageColumn);
    auto* capturing = new QLabel(QStringLiteral("Capturing screenshot …"));
    capturing->setFont(SheetFonts::caption());
    setSecondaryText(capturing);
    capturingRow_ = optional->addRow(capturing);

    GroupedFormSection* automatic = form->addSection(QStringLiteral("Sent automatically (for diagnostics)"));
    userName_ = secondaryLabel();
    automatic->addLabeledRow(QStringLiteral("Sender"), userName_);
    replyEmail_ = new QLineEdit;
    replyEmail_->setPlaceholderText(QStringLiteral("you@example.com"));
    replyEmail_->setMaximumWidth(260);
    replyEmail_->setMinimumWidth(220);
    replyEmail_->setAlignment(Qt::AlignRight);
    replyEmail_->setAccessibleName(QStringLiteral("Reply to"));
    automatic->addLabeledRow(QStringLiteral("Reply to"), replyEmail_);
    appVersion_ = secondaryLabel();
    automatic->addLabeledRow(QStringLiteral("App Version"), appVersion_);
    osVersion_ = secondaryLabel();
    automatic->addLabeledRow(QStringLiteral("Linux"), osVersion_);
    if (!herkunft_.isEmpty()) {
        QLabel* area = secondaryLabel();
        area->setText(herkunft_);
        automatic->addLabeledRow(QStringLiteral("Area"), area);
    }
    automatic->addCaption(QStringLiteral("Also: library names + load state, marker/event counts, scan status, FCP "
                                         "extension and PostLab status. No personal data."),
                          true);

    statusLine_ = new SheetStatusLine(*form);

    layout->addWidget(new QuilloDivider);
    auto* footer = new SheetFooter;
    sendButton_ = footer->primaryButton();
    layout->addWidget(footer);

    connect(footer->cancelButton(), &QPushButton::clicked, this, &QDialog::reject);
    connect(sendButton_, &QPushButton::clicked, this, &FeedbackSheet::senden);
    connect(text_, &QPlainTextEdit::textChanged, this, &FeedbackSheet::updateSendButton);
    connect(screenshotMitschicken_, &QCheckBox::toggled, this, &FeedbackSheet::screenshotToggled);

    // Feedback queued without a server would wait for ever: such a build says so and sends nothing.
    if (!hasFeedbackAddress_) {
        status_ = QStringLiteral("This build has no feedback address: feedback cannot be sent from it.");
        statusOK_ = false;
    }
    showScreenshot();
    showStatus();
    updateSendButton();
}

QString FeedbackSheet::appModule() const {
    return herkunft_.isEmpty() ? QStringLiteral("QuilloToDo") : QStringLiteral("QuilloToDo – ") + herkunft_;
}

void FeedbackSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) QTimer::singleShot(0, this, &FeedbackSheet::laden);
}

void FeedbackSheet::laden() {
    loaded_ = true;
    appVersion_->setText(FeedbackService::appVersion());
    osVersion_->setText(FeedbackService::osVersion());
    userName_->setText(loginName());
}

void FeedbackSheet::screenshotToggled(bool on) {
    ++captureGeneration_;  // a capture still queued from an earlier switch-on is dropped
    if (on) {
        erstelleScreenshot();
    } else {
        screenshotData_.reset();
    }
    showScreenshot();
}

void FeedbackSheet::erstelleScreenshot() {
    QTimer::singleShot(0, this, [this, generation = captureGeneration_] {
        if (generation != captureGeneration_) return;
        screenshotData_ = captureMainWindowPNG();
        showScreenshot();
    });
}

void FeedbackSheet::showScreenshot() {
    const bool on = screenshotMitschicken_->isChecked();
    QImage image;
    if (on && screenshotData_) image.loadFromData(*screenshotData_, "PNG");
    screenshotImageRow_->setVisible(on && !image.isNull());
    capturingRow_->setVisible(on && image.isNull());
    if (image.isNull()) return;
    screenshotImage_->setPixmap(roundedPreview(image, 460));
    screenshotSize_->setText(QStringLiteral("Size: ") + formatBytes(screenshotData_->size()));
}

QString FeedbackSheet::formatBytes(qint64 byteCount) {
    const double kilobytes = double(byteCount) / 1024;
    if (kilobytes >= 1024) return QString::asprintf("%.1f MB", kilobytes / 1024);
    return QString::asprintf("%.0f KB", kilobytes);
}

std::optional<QByteArray> FeedbackSheet::captureMainWindowPNG() {
    QList<QWidget*> candidates;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !isSheet(window)) candidates.append(window);
    }
    if (candidates.isEmpty()) return std::nullopt;
    QWidget* chosen = candidates.front();
    for (QWidget* window : candidates) {
        if (window->property(kMainWindowProperty).toBool()) {
            chosen = window;
            break;
        }
    }
    const QPixmap picture = chosen->grab();
    if (picture.isNull()) return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) return std::nullopt;
    return png;
}

FeedbackPayload FeedbackSheet::payload(const QString& diagnose) const {
    FeedbackPayload payload;
    payload.text = text_->toPlainText();
    payload.userName = userName_->text();
    payload.appVersion = appVersion_->text();
    payload.osVersion = osVersion_->text();
    payload.appModule = appModule();
    payload.diagnose = diagnose;
    if (screenshotMitschicken_->isChecked()) payload.screenshotPNG = screenshotData_;
    const QString reply = replyEmail_->text().trimmed();
    if (!reply.isEmpty()) payload.submitterEmail = reply;
    return payload;
}

void FeedbackSheet::senden() {
    if (!canSend()) return;
    sending_ = true;
    updateSendButton();
    FeedbackService& service = FeedbackService::shared();
    const QString diagnose = service.sammeleDiagnose(*sources_.libraryController, *sources_.indexController,
                                                     *sources_.ipcServer, *sources_.postlabLocator);
    service.send(payload(diagnose));
    status_ =
        QStringLiteral("Thanks! Your feedback is saved and will be sent (even if the network is flaky right now).");
    statusOK_ = true;
    showStatus();
    QTimer::singleShot(kCloseDelayMilliseconds, this, [this] {
        accept();
        sending_ = false;
        updateSendButton();
    });
}

void FeedbackSheet::showStatus() { statusLine_->setStatus(status_, statusOK_.value_or(false)); }

void FeedbackSheet::updateSendButton() {
    sendButton_->setText(sending_ ? QStringLiteral("Sending …") : QStringLiteral("Send Feedback"));
    sendButton_->setEnabled(canSend());
}

bool FeedbackSheet::canSend() const {
    return hasFeedbackAddress_ && !sending_ && !text_->toPlainText().trimmed().isEmpty();
}

}  // namespace quillo
