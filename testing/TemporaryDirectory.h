#pragma once

#include <filesystem>

namespace quillo::testing {

// A fresh directory under the system's temporary directory, removed with everything in it when the
// object is destroyed.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace quillo::testing
