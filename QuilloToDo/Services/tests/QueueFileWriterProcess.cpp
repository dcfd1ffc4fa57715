// Writes its second argument over the file named by the first, atomically. With "--hang" it stops
// after the temporary file is complete and before the rename, says "written" and waits to be killed.
#include "QuilloToDo/Services/AtomicFileWriter.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const bool hang = argc > 3 && std::strcmp(argv[3], "--hang") == 0;
    const auto failure = quillo::writeFileAtomically(QString::fromLocal8Bit(argv[1]), QByteArray(argv[2]), [hang] {
        if (!hang) return;
        std::puts("written");
        std::fflush(stdout);
        for (;;) pause();
    });
    return failure ? 1 : 0;
}
