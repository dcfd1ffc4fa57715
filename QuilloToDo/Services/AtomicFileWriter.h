#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace quillo {

// Replaces the file at `path` with `data` so that a reader, or the next start after a crash, finds
// either the old content or the new one, never a mix: the data goes to a temporary file beside the
// target, which is then renamed over it. Missing parent folders are created. False when anything
// failed; the old file is then untouched.
//
// `beforeReplace` runs after the temporary file is written and before the rename; it exists so a
// test can stop a writer process exactly there.
bool writeFileAtomically(const QString& path, const QByteArray& data, const std::function<void()>& beforeReplace = {});

}  // namespace quillo
