#include "Platform/Foundation/AtomicFile.h"

#include "Platform/Foundation/UUID.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

namespace fs = std::filesystem;

namespace {

std::string failure(const fs::path& path, int error) {
    return "Could not write " + path.string() + ": " + std::strerror(error);
}

}  // namespace

std::optional<std::string> syncFolder(const fs::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return failure(folder, errno);
    const bool synced = ::fsync(descriptor) == 0;
    const int error = errno;
    ::close(descriptor);
    if (!synced) return failure(folder, error);
    return std::nullopt;
}

std::optional<std::string> replaceFileAtomically(const fs::path& target, std::string_view bytes,
                                                 const std::function<void()>& beforeReplace, FolderSync folderSync) {
    std::string name = ".";
    name += target.filename().string();
    name += '.';
    name += UUID::random().uuidString();
    name += ".tmp";
    const fs::path temporary = target.parent_path() / name;
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0) return failure(target, errno);
    // A file the user made private (or shared) stays so.
    struct stat replaced {};
    bool written = ::stat(target.c_str(), &replaced) != 0 || ::fchmod(descriptor, replaced.st_mode & 07777) == 0;
    std::size_t done = 0;
    while (written && done < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (result < 0 && errno == EINTR) continue;
        if (result <= 0) {
            if (result == 0) errno = EIO;
            written = false;
            break;
        }
        done += static_cast<std::size_t>(result);
    }
    written = written && ::fsync(descriptor) == 0;
    const int error = errno;
    ::close(descriptor);
    if (written && beforeReplace) beforeReplace();
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = written ? errno : error;
        ::unlink(temporary.c_str());
        return failure(target, renameError);
    }
    if (folderSync == FolderSync::byCaller) return std::nullopt;
    return syncFolder(target.parent_path().empty() ? fs::path(".") : target.parent_path());
}

}  // namespace platform
