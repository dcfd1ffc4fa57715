#pragma once

#include "Platform/Updater/UpdateCheckResult.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform {

// The application's updater. It is created not started and started later by the application;
// starting schedules no automatic checks (on Linux the package manager updates programs). A check
// happens only when the user asks: it reads the update feed (RSS, see newestRelease), compares the
// newest version with the running one and tells the user in a dialog: a newer version with its
// link, up to date, or that the check failed and why. One check runs at a time.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool started READ isStarted NOTIFY startedChanged)
    Q_PROPERTY(bool checking READ isChecking NOTIFY checkingChanged)
public:
    // A feed larger than this is refused rather than held in memory.
    static constexpr qint64 kMaximumFeedBytes = 4 * 1024 * 1024;
    static constexpr int kTransferTimeoutMilliseconds = 30'000;

    Updater(QUrl feedURL, QString runningVersion, QObject* parent = nullptr);

    // QUILLOTODO_UPDATE_FEED_URL when set and not empty, else the URL the build was configured with.
    static QUrl configuredFeedURL();

    QUrl feedURL() const { return feedURL_; }
    bool isStarted() const { return started_; }
    bool isChecking() const { return reply_ != nullptr; }

    // Marks the updater started; a second start changes nothing.
    void startUpdater();
    // A user-initiated check; ignored while one runs. Ends in checkFinished and the dialog.
    void checkForUpdates();
    // The dialog of the last check while it is open (tests and screenshots read it).
    QMessageBox* resultDialog() const { return dialog_; }

Q_SIGNALS:
    void startedChanged(bool started);
    void checkingChanged(bool checking);
    void checkFinished(const platform::UpdateCheckResult& result);

private:
    void finishCheck(QNetworkReply* reply);
    UpdateCheckResult evaluate(QNetworkReply* reply) const;
    void present(const UpdateCheckResult& result);

    QUrl feedURL_;
    QString runningVersion_;
    bool started_ = false;
    bool feedTooLarge_ = false;
    QNetworkAccessManager* network_;
    QNetworkReply* reply_ = nullptr;
    QPointer<QMessageBox> dialog_;
};

}  // namespace platform
