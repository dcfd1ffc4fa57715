#pragma once

#include <QWidget>

class QLabel;
class QStackedWidget;

namespace quillo {

class IndexController;
class PostlabLibraryLocator;
class QuilloStatusDot;
class TodoIPCServer;

// The Status panel's content: how many markers the index holds, when it was last scanned, how many
// workflow extensions are connected, whether a scan runs and whether the PostLab watch polls. It
// follows the objects it is given.
class StatusPanelContent : public QWidget {
    Q_OBJECT

public:
    StatusPanelContent(IndexController& indexController, TodoIPCServer& ipcServer,
                       PostlabLibraryLocator& postlabLocator, QWidget* parent = nullptr);

    // The value texts of the five rows ("Markers" to "PostLab watch"; the scanning row reads
    // "Idle" or is empty while the progress indicator turns), then the error line when shown.
    QStringList shownTexts() const;

private:
    void showIndex();
    void showPostlab();
    void showExtensions();

    IndexController& index_;
    TodoIPCServer& ipcServer_;
    PostlabLibraryLocator& locator_;
    QLabel* markers_;
    QLabel* lastScan_;
    QLabel* extensions_;
    QStackedWidget* scanning_;
    QWidget* idle_;
    QWidget* busy_;
    QuilloStatusDot* postlabDot_;
    QLabel* postlab_;
    QLabel* error_;
};

}  // namespace quillo
