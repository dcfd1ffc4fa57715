#include "QuilloToDo/Views/Sidebar/AddLibraryPanel.h"

#include "QuilloToDo/Controllers/LibraryController.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace quillo {

namespace {

class LibraryFileDialog : public QFileDialog {
public:
    explicit LibraryFileDialog(QWidget* parent) : QFileDialog(parent) {
        setFileMode(QFileDialog::Directory);
        setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        setLabelText(QFileDialog::Accept, QStringLiteral("Add Library"));
        setWindowModality(Qt::WindowModal);
        setAttribute(Qt::WA_DeleteOnClose);
    }

    void accept() override {
        const auto chosen = selectedFiles();
        if (chosen.size() != 1) return;
        const QFileInfo folder(chosen.front());
        if (!folder.isDir()) return;
        if (folder.suffix() == QLatin1String("fcpbundle")) {
            QFileDialog::accept();
        } else {
            setDirectory(folder.absoluteFilePath());
        }
    }
};

}  // namespace

void FileDialogAddLibraryPanel::choose(QWidget* parent, const QString& startFolder,
                                       std::function<void(const QUrl&)> chosen) {
    auto* dialog = new LibraryFileDialog(parent);
    dialog->setDirectory(startFolder);
    // Qt's own dialog reports the choice as a file name; only the desktop's reports URLs.
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [chosen = std::move(chosen)](const QString& path) { chosen(QUrl::fromLocalFile(path)); });
    dialog->open();
}

QString addLibraryStartFolder(const LibraryController& libraries) {
    QString last = libraries.lastAddedLibraryPath();
    // Settings from before the controller remembered it: the list's last library.
    const auto& watched = libraries.watchedLibraries();
    if (last.isEmpty() && !watched.isEmpty()) last = watched.back()->url().toLocalFile();
    const QFileInfo library(last);
    if (!last.isEmpty() && library.dir().exists()) return library.absolutePath();
    return QDir::homePath();
}

void presentAddLibraryPanel(AddLibraryPanel& panel, LibraryController& libraries, QWidget* parent) {
    panel.choose(parent, addLibraryStartFolder(libraries),
                 [libraries = QPointer<LibraryController>(&libraries)](const QUrl& url) {
                     if (libraries) libraries->addLibrary(url);
                 });
}

}  // namespace quillo
