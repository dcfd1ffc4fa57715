#pragma once

#include "Platform/Updater/UpdateCheckResult.h"
#include "Platform/Updater/UpdateDialog.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform {

// The application's updater. It is created not started and started later by the application;
// starting schedules no automatic checks (on Linux the package manager updates programs). A check
// happens only when the user asks: it reads the update feed (RSS, see newestRelease), compares the
// newest version with the running one and tells the user in a dialog: a newer version with its
// link, up to date, or that the check failed and why. One check runs at a time; asking for another
// meanwhile says so. Every text in the dialog is plain text, shown whole (UpdateDialog): the feed's
// and the server's words are untrusted, and the only link is the http(s) one the button opens.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool started READ isStarted NOTIFY startedChanged)
    Q_PROPERTY(bool checking READ isChecking NOTIFY checkingChanged)
public:
    // A feed larger than this is refused rather than held in memory.
    static constexpr qint64 kMaximumFeedBytes = 4 * 1024 * 1024;
    // A check that has not ended this long after it began fails, however steadily bytes arrive.
    static constexpr std::chrono::milliseconds kCheckDeadline{30'000};

    Updater(QUrl feedURL, QString runningVersion, QObject* parent = nullptr,
            std::chrono::milliseconds checkDeadline = kCheckDeadline);

    // QUILLOTODO_UPDATE_FEED_URL when set and not empty, else the URL the build was configured with.
    static QUrl configuredFeedURL();

    QUrl feedURL() const { return feedURL_; }
    bool isStarted() const { return started_; }
    bool isChecking() const { return reply_ != nullptr; }

    // Marks the updater started; a second start changes nothing.
    void startUpdater();
    // A user-initiated check, ending in checkFinished and the dialog. While one runs, a dialog says so.
    void checkForUpdates();
    // The dialog of the last check (or the one saying a check runs) while it is open (tests and
    // screenshots read it).
    UpdateDialog* resultDialog() const { return dialog_; }

Q_SIGNALS:
    void startedChanged(bool started);
    void checkingChanged(bool checking);
    void checkFinished(const platform::UpdateCheckResult& result);

private:
    void finishCheck(QNetworkReply* reply);
    UpdateCheckResult evaluate(QNetworkReply* reply) const;
    void present(const UpdateCheckResult& result);
    void showDialog(const QString& title, const QString& message, QMessageBox::Icon icon, const QUrl& link);

    QUrl feedURL_;
    QString runningVersion_;
    std::chrono::milliseconds checkDeadline_;
    bool started_ = false;
    bool feedTooLarge_ = false;
    bool pastDeadline_ = false;
    QTimer deadline_;
    QNetworkAccessManager* network_;
    QNetworkReply* reply_ = nullptr;
    QPointer<UpdateDialog> dialog_;
};

}  // namespace platform
