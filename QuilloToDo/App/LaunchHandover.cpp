#include "QuilloToDo/App/LaunchHandover.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace quillo {

namespace {

constexpr QByteArrayView kShowRequest = "show\n";
constexpr QByteArrayView kShownAnswer = "shown\n";
// A request longer than this without a line end is no request of ours.
constexpr qsizetype kMaxRequestBytes = 64;
// How soon a later launch tries again while the running copy does not listen yet.
constexpr std::chrono::milliseconds kRetryInterval{100};

}  // namespace

LaunchHandover::LaunchHandover(const QString& settingsFolder, QObject* parent)
    : QObject(parent), socketPath_(socketPath(settingsFolder)) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryInterval);
    connect(&retry_, &QTimer::timeout, this, &LaunchHandover::tryHandOver);
    limit_.setSingleShot(true);
    limit_.setInterval(kHandOverLimit);
    connect(&limit_, &QTimer::timeout, this, [this] { finishHandOver(false); });
}

LaunchHandover::~LaunchHandover() {
    if (server_) server_->close();  // the socket file goes before the lock that guards it
}

QString LaunchHandover::socketPath(const QString& settingsFolder) {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    const QString folder = QDir::cleanPath(QFileInfo(settingsFolder).absoluteFilePath());
    const QByteArray digest = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).left(16);
    return runtime + QStringLiteral("/QuilloToDo-") + QString::fromLatin1(digest.toHex()) + QStringLiteral(".socket");
}

bool LaunchHandover::claim() {
    if (server_) return true;
    auto lock = std::make_unique<QLockFile>(socketPath_ + QStringLiteral(".lock"));
    // A lock left by a copy that no longer runs is taken over.
    if (!lock->tryLock(0)) return false;
    lock_ = std::move(lock);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Whoever holds the lock owns the path: a socket file still there is a dead copy's.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        qWarning("QuilloToDo: later launches cannot reach this one: %s", qPrintable(server_->errorString()));
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
    });
    return true;
}

void LaunchHandover::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kMaxRequestBytes) socket->abort();
            return;
        }
        if (socket->readLine(kMaxRequestBytes + 1) == kShowRequest) {
            Q_EMIT showRequested();
            socket->write(kShownAnswer.data(), kShownAnswer.size());
        }
        socket->disconnectFromServer();
    });
}

void LaunchHandover::handOver() {
    limit_.start();
    tryHandOver();
}

void LaunchHandover::tryHandOver() {
    if (handOverFinished_) return;
    auto* socket = new QLocalSocket(this);
    client_ = socket;
    connect(socket, &QLocalSocket::connected, socket,
            [socket] { socket->write(kShowRequest.data(), kShowRequest.size()); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->canReadLine()) finishHandOver(socket->readLine(kMaxRequestBytes + 1) == kShownAnswer);
    });
    // Not listening yet, or gone before it answered: try again until the limit.
    const auto again = [this, socket] {
        if (client_ != socket) return;
        client_ = nullptr;
        socket->deleteLater();
        retry_.start();
    };
    connect(socket, &QLocalSocket::errorOccurred, this, again);
    connect(socket, &QLocalSocket::disconnected, this, again);
    socket->connectToServer(socketPath_);
}

void LaunchHandover::finishHandOver(bool answered) {
    if (handOverFinished_) return;
    handOverFinished_ = true;
    limit_.stop();
    retry_.stop();
    if (client_) {
        QLocalSocket* socket = client_;
        client_ = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    Q_EMIT handedOver(answered);
}

}  // namespace quillo
