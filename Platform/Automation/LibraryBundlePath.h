#pragma once

#include <QString>

#include <optional>

// Path arithmetic on library bundles ("<name>.fcpbundle"), done on the text of an absolute path the
// way the platform's file URLs do it: trailing slashes do not count, the extension is what follows
// the last dot of the last component (none when the dot starts the component), letter case counts.
namespace platform::LibraryBundlePath {

inline constexpr const char* kBundleExtension = "fcpbundle";

// "/a/b.fcpbundle/" gives "/a/b.fcpbundle"; "/" stays "/".
QString withoutTrailingSlashes(const QString& path);
QString lastComponent(const QString& path);
QString extension(const QString& path);
// The last component without its extension: "Spot" for "/Volumes/Work/Spot.fcpbundle".
QString name(const QString& path);
bool isBundle(const QString& path);
// The nearest of the path and its ancestors that is a bundle; nothing when none is (the walk stops
// at the root).
std::optional<QString> enclosingBundle(const QString& path);

}  // namespace platform::LibraryBundlePath
