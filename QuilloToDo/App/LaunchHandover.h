#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

class QLocalServer;
class QLocalSocket;

namespace quillo {

// One running copy of the program per settings folder. The first launch claims the folder: it holds
// an flock() on kLockFileName in that folder, listens on a local socket in a private folder (the
// runtime folder $XDG_RUNTIME_DIR when it is private, else one made under the temporary folder) and
// writes the socket's path into the lock file. A later launch finds the lock held, reads where the
// running copy listens, asks it to show its main window, and ends. Copies with settings folders of
// their own (the demo, parallel tests) never meet.
//
// The kernel lets go of the lock when its holder ends, however it ends, and never while it lives
// (stopped, busy or old): nothing guesses from process ids or ages whether a holder is gone. The
// file stays when its holder ends: removed, two launches could each lock a file of that name.
// Main thread only.
class LaunchHandover : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        claimed,     // this process holds the settings folder and answers later launches
        held,        // a running copy holds it: handOver()
        handedOver,  // the running copy showed its window
        failed,      // errorString() says why
    };
    Q_ENUM(Outcome)

    static constexpr const char* kLockFileName = "QuilloToDo.lock";
    // How long a later launch keeps asking a running copy that holds the lock but does not answer
    // (it may still be starting).
    static constexpr std::chrono::milliseconds kHandOverLimit{10'000};

    explicit LaunchHandover(const QString& settingsFolder, QObject* parent = nullptr);
    ~LaunchHandover() override;

    // claimed, held or failed: the lock cannot be made or taken, or this process cannot listen (the
    // claim is then given back). The claim lasts as long as this object.
    Outcome claim();

    // After claim() gave held: asks the running copy to show its window and emits finished():
    // handedOver once it has; claimed when the holder went away without answering and this process
    // took its claim; failed when it holds the lock but does not answer within kHandOverLimit, or
    // the claim fails. Never emits from within this call.
    void handOver();

    // Answers no later launch from now on: one that comes meanwhile waits and claims the folder once
    // this process has ended. The lock is held until this object goes.
    void stopListening();

    QString errorString() const { return errorString_; }

Q_SIGNALS:
    void showRequested();
    void finished(quillo::LaunchHandover::Outcome outcome);

private:
    bool openLock();
    bool listen();
    void giveBack();
    QString runningCopysSocket() const;
    void serve(QLocalSocket* socket);
    void tryHandOver();
    void finish(Outcome outcome);

    QString settingsFolder_;
    QString lockPath_;
    int lockFd_ = -1;
    bool holding_ = false;
    QLocalServer* server_ = nullptr;
    // The private folder made for the socket, removed with it.
    QString madeFolder_;
    QString errorString_;
    QPointer<QLocalSocket> client_;
    QTimer retry_;
    QTimer limit_;
    bool handOverFinished_ = false;
};

}  // namespace quillo
