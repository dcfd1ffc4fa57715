#include "QuilloToDo/App/LaunchHandover.h"

#include "QuilloToDo/App/PrivateFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {

namespace {

constexpr QByteArrayView kShowRequest = "show\n";
constexpr QByteArrayView kShownAnswer = "shown\n";
// A request longer than this without a line end is no request of ours.
constexpr qsizetype kMaxRequestBytes = 64;
// How soon a later launch tries again while the running copy does not answer yet.
constexpr std::chrono::milliseconds kRetryInterval{100};
// The lock file holds the socket's path and a line end; anything longer is none of ours.
constexpr std::size_t kMaxLockContentBytes = 4096;
// The socket's name in a private folder made for it.
constexpr QLatin1String kPrivateSocketName{"QuilloToDo.socket"};

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

}  // namespace

LaunchHandover::LaunchHandover(const QString& settingsFolder, QObject* parent)
    : QObject(parent),
      settingsFolder_(QDir::cleanPath(QFileInfo(settingsFolder).absoluteFilePath())),
      lockPath_(settingsFolder_ + QLatin1Char('/') + QLatin1String(kLockFileName)) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryInterval);
    connect(&retry_, &QTimer::timeout, this, &LaunchHandover::tryHandOver);
    limit_.setSingleShot(true);
    limit_.setInterval(kHandOverLimit);
    connect(&limit_, &QTimer::timeout, this, [this] {
        errorString_ = QStringLiteral("a running copy holds %1 but does not answer").arg(settingsFolder_);
        finish(Outcome::failed);
    });
}

LaunchHandover::~LaunchHandover() {
    stopListening();  // the socket goes before the lock that guards it
    if (lockFd_ >= 0) ::close(lockFd_);
}

LaunchHandover::Outcome LaunchHandover::claim() {
    if (holding_) return Outcome::claimed;
    if (lockFd_ < 0 && !openLock()) return Outcome::failed;
    int locked = 0;
    do {
        locked = ::flock(lockFd_, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        if (errno == EWOULDBLOCK) return Outcome::held;
        errorString_ = QStringLiteral("cannot lock %1: %2").arg(lockPath_, errnoText());
        return Outcome::failed;
    }
    holding_ = true;
    if (!listen()) {
        giveBack();
        return Outcome::failed;
    }
    return Outcome::claimed;
}

bool LaunchHandover::openLock() {
    if (!QDir().mkpath(settingsFolder_)) {
        errorString_ = QStringLiteral("cannot make the lock file %1: its folder cannot be made").arg(lockPath_);
        return false;
    }
    // Never inherited by a child process: a child outliving this one would keep the claim.
    const int fd = ::open(QFile::encodeName(lockPath_).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        errorString_ = QStringLiteral("cannot make the lock file %1: %2").arg(lockPath_, errnoText());
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(fd);
        errorString_ = QStringLiteral("the lock file %1 is not this user's own file").arg(lockPath_);
        return false;
    }
    lockFd_ = fd;
    return true;
}

bool LaunchHandover::listen() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString name;
    if (QDir::isAbsolutePath(folder) && isPrivateFolder(folder)) {
        // Socket paths are short: a digest names the settings folder.
        const QByteArray digest =
            QCryptographicHash::hash(settingsFolder_.toUtf8(), QCryptographicHash::Sha256).left(16);
        name = QStringLiteral("QuilloToDo-") + QString::fromLatin1(digest.toHex()) + QStringLiteral(".socket");
    } else {
        const auto made = makePrivateFolder(QStringLiteral("QuilloToDo-"), errorString_);
        if (!made) return false;
        folder = madeFolder_ = *made;
        name = kPrivateSocketName;
    }
    const QString path = folder + QLatin1Char('/') + name;
    // Whoever holds the lock owns what the lock file names: a socket still there is a dead copy's,
    // and so is the private folder one made for it.
    if (const QString left = runningCopysSocket(); !left.isEmpty() && left != path) {
        QFile::remove(left);
        if (QFileInfo(left).fileName() == kPrivateSocketName) QDir().rmdir(QFileInfo(left).path());
    }
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        errorString_ = QStringLiteral("cannot listen for later launches on %1: %2").arg(path, server_->errorString());
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
    });
    const QByteArray content = QFile::encodeName(path) + '\n';
    if (::ftruncate(lockFd_, 0) != 0 ||
        ::pwrite(lockFd_, content.constData(), static_cast<std::size_t>(content.size()), 0) != content.size()) {
        errorString_ = QStringLiteral("cannot write the lock file %1: %2").arg(lockPath_, errnoText());
        return false;
    }
    return true;
}

void LaunchHandover::giveBack() {
    stopListening();
    ::close(lockFd_);  // the only descriptor of the lock: closing it unlocks
    lockFd_ = -1;
    holding_ = false;
}

void LaunchHandover::stopListening() {
    if (!server_) return;
    // The connections it accepted go with it: their launches try again.
    delete server_;
    server_ = nullptr;
    if (!madeFolder_.isEmpty()) QDir().rmdir(madeFolder_);
    madeFolder_.clear();
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

QString LaunchHandover::runningCopysSocket() const {
    char content[kMaxLockContentBytes];
    const ssize_t size = ::pread(lockFd_, content, sizeof content, 0);
    // Empty or cut short: the holder has not written it yet.
    if (size < 2 || static_cast<std::size_t>(size) == sizeof content || content[size - 1] != '\n') return {};
    const QString path = QFile::decodeName(QByteArray(content, size - 1));
    return isPrivateSocket(path) ? path : QString();
}

void LaunchHandover::handOver() {
    limit_.start();
    QTimer::singleShot(0, this, &LaunchHandover::tryHandOver);
}

void LaunchHandover::tryHandOver() {
    if (handOverFinished_) return;
    // A holder that ended since has let go of the lock.
    if (const Outcome now = claim(); now != Outcome::held) {
        finish(now);
        return;
    }
    const QString path = runningCopysSocket();
    if (path.isEmpty()) {
        retry_.start();
        return;
    }
    auto* socket = new QLocalSocket(this);
    client_ = socket;
    // Not listening (yet, or any more), gone before it answered, or answered otherwise: claim or ask
    // again until the limit.
    const auto again = [this, socket] {
        if (client_ != socket) return;
        client_ = nullptr;
        socket->disconnect(this);
        socket->deleteLater();
        retry_.start();
    };
    connect(socket, &QLocalSocket::connected, socket,
            [socket] { socket->write(kShowRequest.data(), kShowRequest.size()); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, again] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kMaxRequestBytes) again();
            return;
        }
        if (socket->readLine(kMaxRequestBytes + 1) == kShownAnswer) {
            finish(Outcome::handedOver);
        } else {
            again();
        }
    });
    connect(socket, &QLocalSocket::errorOccurred, this, again);
    connect(socket, &QLocalSocket::disconnected, this, again);
    socket->connectToServer(path);
}

void LaunchHandover::finish(Outcome outcome) {
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
    Q_EMIT finished(outcome);
}

}  // namespace quillo
