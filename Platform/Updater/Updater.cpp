#include "Platform/Updater/Updater.h"

#include "Platform/Updater/UpdateFeed.h"
#include "Platform/Updater/VersionNumber.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace platform {

Updater::Updater(QUrl feedURL, QString runningVersion, QObject* parent, std::chrono::milliseconds checkDeadline)
    : QObject(parent),
      feedURL_(std::move(feedURL)),
      runningVersion_(std::move(runningVersion)),
      checkDeadline_(checkDeadline),
      network_(new QNetworkAccessManager(this)) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (!reply_) return;
        pastDeadline_ = true;
        reply_->abort();
    });
}

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
    if (reply_) {
        showDialog(QStringLiteral("Checking for Updates …"),
                   QStringLiteral("A check for updates is already running. Its result will be shown when it ends."),
                   QMessageBox::Information, {});
        return;
    }
    QNetworkRequest request(feedURL_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    feedTooLarge_ = false;
    pastDeadline_ = false;
    reply_ = network_->get(request);
    deadline_.start(checkDeadline_);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this, reply = reply_](qint64 received, qint64) {
        if (received <= kMaximumFeedBytes || feedTooLarge_) return;
        feedTooLarge_ = true;
        reply->abort();
    });
    connect(reply_, &QNetworkReply::finished, this, [this, reply = reply_] { finishCheck(reply); });
    Q_EMIT checkingChanged(true);
}

void Updater::finishCheck(QNetworkReply* reply) {
    deadline_.stop();
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
    if (pastDeadline_) {
        result.reason = QStringLiteral("The update server did not send the feed within %1 seconds.")
                            .arg(QString::number(static_cast<double>(checkDeadline_.count()) / 1000));
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
    const bool failed = result.outcome == UpdateCheckResult::Outcome::failed;
    const bool offered = result.outcome == UpdateCheckResult::Outcome::newerVersion;
    showDialog(result.title(), result.message(), failed ? QMessageBox::Warning : QMessageBox::Information,
               offered ? result.link : QUrl());
}

void Updater::showDialog(const QString& title, const QString& message, QMessageBox::Icon icon, const QUrl& link) {
    if (dialog_) dialog_->close();
    dialog_ = new UpdateDialog(title, message, icon, link);
    dialog_->show();
}

}  // namespace platform
