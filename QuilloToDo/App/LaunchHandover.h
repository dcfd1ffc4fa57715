#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace quillo {

// One running copy of the program per settings folder. The first launch claims the folder (a lock
// file) and listens on a local socket in the runtime folder ($XDG_RUNTIME_DIR) named after it; a
// later launch finds the claim taken, asks the running copy over that socket to show its main
// window, and ends. Copies with settings folders of their own (the demo, parallel tests) never meet.
// Everything after claim() is asynchronous on the event loop. Main thread only.
class LaunchHandover : public QObject {
    Q_OBJECT
public:
    // How long a later launch keeps trying: the running copy may still be starting.
    static constexpr std::chrono::milliseconds kHandOverLimit{10'000};

    explicit LaunchHandover(const QString& settingsFolder, QObject* parent = nullptr);
    ~LaunchHandover() override;

    // The local socket's path for `settingsFolder`: the runtime folder, "QuilloToDo-" and a digest
    // of the folder's absolute path (socket paths are short).
    static QString socketPath(const QString& settingsFolder);

    // True when this process now holds the settings folder and listens for later launches (each
    // then emits showRequested); false when a running copy holds it. The claim lasts as long as
    // this object; one left by a copy that died is taken over.
    bool claim();

    // In a later launch (claim() false): asks the running copy to show its window, then emits
    // handedOver(true); handedOver(false) when no copy answers within kHandOverLimit.
    void handOver();

Q_SIGNALS:
    void showRequested();
    void handedOver(bool answered);

private:
    void serve(QLocalSocket* socket);
    void tryHandOver();
    void finishHandOver(bool answered);

    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    QPointer<QLocalSocket> client_;
    QTimer retry_;
    QTimer limit_;
    bool handOverFinished_ = false;
};

}  // namespace quillo
