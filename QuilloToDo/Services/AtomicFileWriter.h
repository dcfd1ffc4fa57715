#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace quillo {

// platform::replaceFileAtomically for a file of the application's own: missing parent folders are
// created first. Nothing when written; else what failed and the system's reason, for the user, and
// the old file is untouched.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& data,
                                           const std::function<void()>& beforeReplace = {});

}  // namespace quillo
