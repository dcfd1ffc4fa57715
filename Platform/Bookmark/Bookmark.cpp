#include "Platform/Bookmark/Bookmark.h"

#include <QFile>
#include <QtEndian>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace platform::Bookmark {

namespace {

constexpr std::array<char, 4> kMagic{'Q', 'T', 'B', 'M'};
constexpr std::uint16_t kVersion = 1;
constexpr qsizetype kHeaderSize = 4 + 2 + 8 + 8 + 4;

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

std::optional<FileIdentity> identity(const QByteArray& encodedPath) {
    struct stat status {};
    if (::stat(encodedPath.constData(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

template <class T>
void append(QByteArray& out, T value) {
    std::array<char, sizeof(T)> bytes{};
    qToBigEndian(value, bytes.data());
    out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

template <class T>
T read(const QByteArray& data, qsizetype offset) {
    return qFromBigEndian<T>(data.constData() + offset);
}

}  // namespace

std::optional<QByteArray> create(const QString& absolutePath) {
    const QByteArray path = QFile::encodeName(absolutePath);
    if (!path.startsWith('/')) return std::nullopt;
    const auto file = identity(path);
    if (!file) return std::nullopt;
    QByteArray data;
    data.reserve(kHeaderSize + path.size());
    data.append(kMagic.data(), static_cast<qsizetype>(kMagic.size()));
    append(data, kVersion);
    append(data, file->device);
    append(data, file->inode);
    append(data, static_cast<std::uint32_t>(path.size()));
    data.append(path);
    return data;
}

std::optional<Resolved> resolve(const QByteArray& data) {
    // The header is complete and is ours, in the one version there is.
    if (data.size() < kHeaderSize) return std::nullopt;
    if (std::memcmp(data.constData(), kMagic.data(), kMagic.size()) != 0) return std::nullopt;
    if (read<std::uint16_t>(data, 4) != kVersion) return std::nullopt;
    // The path fills the rest exactly: no truncation, nothing appended.
    const std::uint32_t length = read<std::uint32_t>(data, 22);
    if (static_cast<std::uint64_t>(length) != static_cast<std::uint64_t>(data.size() - kHeaderSize))
        return std::nullopt;
    const QByteArray path = data.mid(kHeaderSize);
    // An absolute path without NUL bytes, which the system could not take.
    if (!path.startsWith('/') || path.contains('\0')) return std::nullopt;

    const auto now = identity(path);
    if (!now) return std::nullopt;
    const FileIdentity then{read<std::uint64_t>(data, 6), read<std::uint64_t>(data, 14)};
    return Resolved{QFile::decodeName(path), now->device != then.device || now->inode != then.inode};
}

bool startAccessing(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {};
    if (::stat(encoded.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    return ::access(encoded.constData(), R_OK | X_OK) == 0;
}

}  // namespace platform::Bookmark
