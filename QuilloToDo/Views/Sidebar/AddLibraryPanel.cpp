#include "QuilloToDo/Views/Sidebar/AddLibraryPanel.h"

#include "QuilloToDo/Controllers/LibraryController.h"

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

void FileDialogAddLibraryPanel::choose(QWidget* parent, std::function<void(const QUrl&)> chosen) {
    auto* dialog = new LibraryFileDialog(parent);
    QObject::connect(dialog, &QFileDialog::urlSelected, dialog,
                     [chosen = std::move(chosen)](const QUrl& url) { chosen(url); });
    dialog->open();
}

void presentAddLibraryPanel(AddLibraryPanel& panel, LibraryController& libraries, QWidget* parent) {
    panel.choose(parent, [libraries = QPointer<LibraryController>(&libraries)](const QUrl& url) {
        if (libraries) libraries->addLibrary(url);
    });
}

}  // namespace quillo
