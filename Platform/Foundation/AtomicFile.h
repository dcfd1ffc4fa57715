#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Who syncs the folder after the rename: replaceFileAtomically, or the caller, once for many files.
enum class FolderSync { now, byCaller };

// Replaces the file at `target` with `bytes` so that a reader, or the next start after a crash, finds
// either the old content or the new one, never a mix: the bytes go to a hidden temporary file beside
// the target (its name ends in ".tmp", which no vdir client reads), which is synced, given the
// permissions of the file it replaces, and renamed over it; then the folder is synced, unless the
// caller does that. The target's folder must exist. Nothing when written; else what failed and the
// system's reason, and the old file is untouched (unless only the folder's sync failed: the new
// content is then in place but may not survive a crash).
//
// `beforeReplace` runs after the temporary file is written and synced, before the rename; it exists
// so a test can stop a writer process exactly there.
std::optional<std::string> replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                                                 const std::function<void()>& beforeReplace = {},
                                                 FolderSync folderSync = FolderSync::now);

// Syncs the folder, so that the renames and removals made in it survive a crash. Nothing when done;
// else what failed and why.
std::optional<std::string> syncFolder(const std::filesystem::path& folder);

}  // namespace platform
