#pragma once

namespace quillo {

class IndexController;
class LibraryController;
class PostlabLibraryLocator;
class TodoIPCServer;

// The application's controllers that the feedback diagnostics read, handed from the application
// to the main window and the settings window and on to the feedback sheet. All outlive the sheets.
struct FeedbackSources {
    LibraryController* libraryController = nullptr;
    IndexController* indexController = nullptr;
    TodoIPCServer* ipcServer = nullptr;
    PostlabLibraryLocator* postlabLocator = nullptr;
};

}  // namespace quillo
