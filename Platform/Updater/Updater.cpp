#include "Platform/Updater/Updater.h"

#include "Platform/Updater/UpdateFeed.h"
#include "Platform/Updater/VersionNumber.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>

namespace platform {

Updater::Updater(QUrl feedURL, QString runningVersion, QObject* parent)
    : QObject(parent),
      feedURL_(std::move(feedURL)),
      runningVersion_(std::move(runningVersion)),
      network_(new QNetworkAccessManager(this)) {}

QUrl Updater::configuredFeedURL() {
    const QString overridden = qEnvironmentVariable("QUILLOTODO_UPDATE_FEED_URL").trimmed();
    return QUrl(overridden.isEmpty() ? QStringLiteral(QUILLO_UPDATE_FEED_URL) : overridden);
}

void Updater::startUpdater() {
    if (started_) return;
    started_ = true;
    Q_EMIT startedChanged(true);
}

void Updater::checkForUpdates() {
    if (reply_) return;
    QNetworkRequest request(feedURL_);
    request.setTransferTimeout(kTransferTimeoutMilliseconds);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    feedTooLarge_ = false;
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this, reply = reply_](qint64 received, qint64) {
        if (received <= kMaximumFeedBytes || feedTooLarge_) return;
        feedTooLarge_ = true;
        reply->abort();
    });
    connect(reply_, &QNetworkReply::finished, this, [this, reply = reply_] { finishCheck(reply); });
    Q_EMIT checkingChanged(true);
}

void Updater::finishCheck(QNetworkReply* reply) {
    reply->deleteLater();
    const UpdateCheckResult result = evaluate(reply);
    reply_ = nullptr;
    Q_EMIT checkingChanged(false);
    present(result);
    Q_EMIT checkFinished(result);
}

UpdateCheckResult Updater::evaluate(QNetworkReply* reply) const {
    UpdateCheckResult result;
    result.runningVersion = runningVersion_;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (feedTooLarge_) {
        result.reason = QStringLiteral("The update feed is larger than %1 MB.").arg(kMaximumFeedBytes / (1024 * 1024));
        return result;
    }
    // Qt reports 4xx and 5xx as transport errors; the status line says more than its text does.
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        const QString phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        result.reason = QStringLiteral("The update server answered HTTP %1%2.")
                            .arg(status.toInt())
                            .arg(phrase.isEmpty() ? QString() : QStringLiteral(" ") + phrase);
        return result;
    }
    if (reply->error() != QNetworkReply::NoError) {
        result.reason = reply->errorString();
        return result;
    }
    try {
        const UpdateFeedItem newest = newestRelease(reply->readAll());
        result.offeredVersion = newest.version;
        if (compareVersions(newest.version, runningVersion_) == std::strong_ordering::greater) {
            result.outcome = UpdateCheckResult::Outcome::newerVersion;
            result.link = newest.link;
        } else {
            result.outcome = UpdateCheckResult::Outcome::upToDate;
        }
    } catch (const UpdateFeedError& error) {
        result.reason = QString::fromStdString(error.what());
    }
    return result;
}

void Updater::present(const UpdateCheckResult& result) {
    if (dialog_) dialog_->close();
    auto* dialog = new QMessageBox;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Software Update"));
    dialog->setTextFormat(Qt::PlainText);  // the feed's texts are untrusted: never rich text
    dialog->setIcon(result.outcome == UpdateCheckResult::Outcome::failed ? QMessageBox::Warning
                                                                         : QMessageBox::Information);
    dialog->setText(result.title());
    dialog->setInformativeText(result.message());
    if (result.outcome == UpdateCheckResult::Outcome::newerVersion && !result.link.isEmpty()) {
        QPushButton* open = dialog->addButton(QStringLiteral("Open Download Page"), QMessageBox::AcceptRole);
        connect(open, &QPushButton::clicked, dialog, [link = result.link] { QDesktopServices::openUrl(link); });
        dialog->addButton(QMessageBox::Close);
        dialog->setDefaultButton(open);
    } else {
        dialog->setStandardButtons(QMessageBox::Ok);
    }
    dialog_ = dialog;
    dialog->show();
}

}  // namespace platform
