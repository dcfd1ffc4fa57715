#pragma once

#include <QUrl>

#include <functional>

class QWidget;

namespace quillo {

class LibraryController;

// The open panel through which the user picks one library bundle. An interface, so that tests can
// answer it.
class AddLibraryPanel {
public:
    virtual ~AddLibraryPanel() = default;
    // Asks for one bundle, modal to `parent`'s window, and calls `chosen` with it; a cancelled
    // panel never calls it.
    virtual void choose(QWidget* parent, std::function<void(const QUrl&)> chosen) = 0;
};

// A file dialog in directory mode whose default button reads "Add Library" and that accepts only a
// folder named "*.fcpbundle"; choosing any other folder opens it instead.
class FileDialogAddLibraryPanel final : public AddLibraryPanel {
public:
    void choose(QWidget* parent, std::function<void(const QUrl&)> chosen) override;
};

// Runs the panel and adds the chosen bundle (the controller ignores anything but a bundle not yet
// watched). The sidebar and the first-run view both add libraries this way.
void presentAddLibraryPanel(AddLibraryPanel& panel, LibraryController& libraries, QWidget* parent);

}  // namespace quillo
