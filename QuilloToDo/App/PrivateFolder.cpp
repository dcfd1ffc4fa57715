#include "QuilloToDo/App/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace quillo {

namespace {

// lstat(): a symbolic link is judged as itself, never as what it points at.
std::optional<struct stat> statOf(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) return std::nullopt;
    return status;
}

}  // namespace

bool isPrivateFolder(const QString& path) {
    const auto status = statOf(path);
    return status && S_ISDIR(status->st_mode) && status->st_uid == ::geteuid() && (status->st_mode & 077) == 0;
}

bool isPrivateSocket(const QString& path) {
    const auto status = statOf(path);
    return status && S_ISSOCK(status->st_mode) && status->st_uid == ::geteuid() &&
           isPrivateFolder(QFileInfo(path).path());
}

std::optional<QString> makePrivateFolder(const QString& prefix, QString& error) {
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX"));
    // mkdtemp() makes the folder with mode 0700, or fails when the name exists.
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = QStringLiteral("cannot make a private folder in %1: %2")
                    .arg(QDir::tempPath(), QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    return QFile::decodeName(pattern);
}

}  // namespace quillo
