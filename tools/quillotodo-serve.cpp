// Serves the to-dos of library bundles to the extension's panel the way the application does: over
// the loopback IPC service announced by DNS-SD, until interrupted. For trying the panel by hand.
//   quillotodo-serve BUNDLE...
// Each bundle is a watched library named after the bundle (without extension), with the bookmark ids
// "B1", "B2", ... in argument order.

#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"

#include <QCoreApplication>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: quillotodo-serve BUNDLE...\n";
        return 2;
    }
    std::vector<quillo::ScannedLibrarySource> sources;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path url(argv[i]);
        const std::filesystem::path named = url.has_filename() ? url : url.parent_path();
        sources.push_back({url, named.stem().string(), "B" + std::to_string(sources.size() + 1)});
    }
    const auto items = std::make_shared<const std::vector<quillo::TodoItem>>(quillo::TodoScanner().scan(sources));

    quillo::TodoIPCServer server;
    server.start();
    if (server.port() == 0) {
        std::cerr << "quillotodo-serve: cannot listen on 127.0.0.1 (the reason is in the system log)\n";
        return 1;
    }
    server.publish(items);
    std::cerr << "serving " << items->size() << " to-dos on 127.0.0.1:" << server.port() << "\n";
    QObject::connect(&server, &quillo::TodoIPCServer::connectedExtensionCountChanged,
                     [](int count) { std::cerr << count << " extension(s) connected\n"; });
    return QCoreApplication::exec();
}
