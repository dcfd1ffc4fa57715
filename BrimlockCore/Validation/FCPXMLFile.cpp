#include "BrimlockCore/Validation/FCPXMLFile.h"

#include "Platform/Foundation/UnicodeText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace brimlock::FCPXMLFile {

namespace {

constexpr std::size_t kChunkSize = 1 << 16;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const noexcept { return fd_; }

private:
    int fd_;
};

bool existsAt(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

Contents notReadable() { return {Contents::Outcome::notReadable, {}, 0}; }

}  // namespace

std::optional<std::filesystem::path> resolve(const std::filesystem::path& path) {
    if (!existsAt(path)) return std::nullopt;
    std::error_code error;
    const bool isBundle = platform::lowercased(path.extension().string()) == ".fcpxmld";
    if (isBundle || std::filesystem::is_directory(path, error)) {
        const std::filesystem::path info = path / "Info.fcpxml";
        if (existsAt(info)) return info;
    }
    return path;
}

Contents read(const std::filesystem::path& file, std::optional<std::uint64_t> maxBytes) {
    std::int64_t recordedSize = 0;
    struct stat attributes {};
    if (::stat(file.c_str(), &attributes) == 0) recordedSize = attributes.st_size;
    if (maxBytes && recordedSize > 0 && static_cast<std::uint64_t>(recordedSize) > *maxBytes)
        return {Contents::Outcome::tooLarge, {}, recordedSize};

    // Non-blocking only for the open itself: opening a FIFO must not wait for a writer.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return notReadable();
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) < 0) return notReadable();

    Contents contents;
    // Past this many bytes the file is known to be too large.
    const std::uint64_t ceiling = maxBytes ? *maxBytes + 1 : UINT64_MAX;
    while (contents.bytes.size() < ceiling) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, ceiling - contents.bytes.size()));
        const std::size_t had = contents.bytes.size();
        contents.bytes.resize(had + want);
        const ssize_t got = ::read(fd.get(), contents.bytes.data() + had, want);
        if (got < 0) {
            contents.bytes.resize(had);
            if (errno == EINTR) continue;
            return notReadable();
        }
        contents.bytes.resize(had + static_cast<std::size_t>(got));
        if (got == 0) return contents;
    }
    const auto seen = static_cast<std::int64_t>(contents.bytes.size());
    return {Contents::Outcome::tooLarge, {}, std::max(recordedSize, seen)};
}

}  // namespace brimlock::FCPXMLFile
