#pragma once

#include <QString>
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
    // Asks for one bundle, modal to `parent`'s window, starting in `startFolder`, and calls `chosen`
    // with it; a cancelled panel never calls it.
    virtual void choose(QWidget* parent, const QString& startFolder, std::function<void(const QUrl&)> chosen) = 0;
};

// Qt's own file dialog (not the desktop's: that one cannot refuse a plain folder) in directory mode,
// whose default button reads "Add Library" and that accepts only a folder named "*.fcpbundle",
// typed into its field or selected; choosing any other folder opens it instead.
class FileDialogAddLibraryPanel final : public AddLibraryPanel {
public:
    void choose(QWidget* parent, const QString& startFolder, std::function<void(const QUrl&)> chosen) override;
};

// Where the panel opens: the folder holding the library added last (also in an earlier launch),
// while it exists; else the home folder.
QString addLibraryStartFolder(const LibraryController& libraries);

// Runs the panel and adds the chosen bundle (the controller ignores anything but a bundle not yet
// watched). The sidebar and the first-run view both add libraries this way.
void presentAddLibraryPanel(AddLibraryPanel& panel, LibraryController& libraries, QWidget* parent);

}  // namespace quillo
