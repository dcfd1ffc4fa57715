#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// Finding and reading the file behind an FCPXML path: a plain file or an "fcpxmld" bundle. Shared by
// the FCPXML parser and the FCPXML marker scanner.
namespace brimlock::FCPXMLFile {

// The file to read for `path`: for a path whose extension is "fcpxmld" in any letter case, or for any
// directory, its "Info.fcpxml" when that exists, else `path` itself; any other path unchanged.
// Nothing when nothing exists at `path` (a dangling symbolic link included).
std::optional<std::filesystem::path> resolve(const std::filesystem::path& path);

struct Contents {
    enum class Outcome { read, notReadable, tooLarge };

    Outcome outcome = Outcome::read;
    std::vector<std::uint8_t> bytes;  // the whole file when read
    std::int64_t byteCount = 0;       // tooLarge: the size seen (at least maxBytes + 1)
};

// Reads the whole file. With a limit, a file whose recorded size exceeds it is tooLarge without being
// read, and at most maxBytes + 1 bytes are ever read, so a file that grows while read, a FIFO or a
// device is tooLarge rather than read without end. A FIFO without a writer reads as empty instead of
// blocking. A directory or a failing read is notReadable.
Contents read(const std::filesystem::path& file, std::optional<std::uint64_t> maxBytes);

}  // namespace brimlock::FCPXMLFile
