#pragma once

#include <filesystem>
#include <string>

namespace quillo::testing {

// What a command run through the shell printed on stdout, and its exit status (-1 when it did not
// exit normally). stderr goes where the command line sends it.
struct ToolRun {
    std::string output;
    int status = -1;
};

ToolRun runCommand(const std::string& command);

// The path in single quotes, for a command line (test paths hold no single quote).
std::string shellQuoted(const std::filesystem::path& path);

}  // namespace quillo::testing
