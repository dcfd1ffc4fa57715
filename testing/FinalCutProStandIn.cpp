// Stands in for Final Cut Pro in tests: opens every file named on the command line and holds it
// open, prints "ready" once all are open, and exits when its standard input closes. Copied to a file
// named "Final Cut Pro", its command name is the application's.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (::open(argv[i], O_RDONLY | O_CLOEXEC) < 0) {
            std::perror(argv[i]);
            return 1;
        }
    }
    std::puts("ready");
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return 0;
}
