#include "testing/ToolRun.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace quillo::testing {

ToolRun runCommand(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    ToolRun run;
    std::array<char, 4096> buffer{};
    while (const std::size_t read = fread(buffer.data(), 1, buffer.size(), pipe))
        run.output.append(buffer.data(), read);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string shellQuoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace quillo::testing
