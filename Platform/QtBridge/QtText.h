#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The one boundary between the core's text (UTF-8 std::string) and paths (std::filesystem::path)
// and Qt's QString. Ill-formed UTF-8 becomes U+FFFD on the way in, as everywhere else in the core.
namespace platform {

QString toQString(std::string_view utf8);
std::optional<QString> toQString(const std::optional<std::string>& utf8);
std::string toStdString(const QString& text);

// Paths keep their bytes: a file name that is not UTF-8 round-trips through Qt's file-name
// encoding instead of turning into replacement characters.
QString toQString(const std::filesystem::path& path);
std::filesystem::path toPath(const QString& path);

}  // namespace platform
