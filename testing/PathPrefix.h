#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quillo::testing {

// Puts `directory` first on PATH for the lifetime of the object, so that a program of the test's
// own shadows the system's.
class PathPrefix {
public:
    explicit PathPrefix(const std::filesystem::path& directory) {
        const char* path = std::getenv("PATH");
        saved_ = path ? path : "";
        ::setenv("PATH", (directory.string() + ":" + saved_).c_str(), 1);
    }
    ~PathPrefix() { ::setenv("PATH", saved_.c_str(), 1); }
    PathPrefix(const PathPrefix&) = delete;
    PathPrefix& operator=(const PathPrefix&) = delete;

private:
    std::string saved_;
};

// An executable shell script at `path` running `body`: a stand-in for a system program.
inline void writeShellScript(const std::filesystem::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace quillo::testing
