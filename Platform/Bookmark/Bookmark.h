#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What stands in for the platform's security-scoped bookmarks: a small versioned blob that names a
// file by absolute path and remembers the device and inode it had when the bookmark was made.
//
// Layout (big-endian): "QTBM", version u16 (1), device u64, inode u64, path length u32, path bytes
// (the file system's own encoding). Nothing may follow the path.
namespace platform::Bookmark {

struct Resolved {
    QString path;
    // The path now names another file (another device or inode) than when the bookmark was made.
    bool isStale = false;
};

// Nothing for a relative path or one that does not exist.
std::optional<QByteArray> create(const QString& absolutePath);
// Nothing for a malformed blob or a path that no longer exists.
std::optional<Resolved> resolve(const QByteArray& data);
// Whether the application may read the bundle: it must be a readable, listable directory.
bool startAccessing(const QString& path);

}  // namespace platform::Bookmark
