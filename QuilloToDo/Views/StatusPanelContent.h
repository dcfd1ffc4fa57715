#pragma once

#include <QWidget>

class QLabel;
class QStackedWidget;

namespace quillo {

class IndexController;
class PostlabLibraryLocator;
class QuilloStatusDot;

// The Status panel's content: how many markers the index holds, when it was last scanned, how many
// workflow extensions are connected, whether a scan runs and whether the PostLab watch polls. It
// follows the controllers it is given; the extension count comes from the IPC server through
// setConnectedExtensionCount.
class StatusPanelContent : public QWidget {
    Q_OBJECT

public:
    StatusPanelContent(IndexController& indexController, PostlabLibraryLocator& postlabLocator,
                       QWidget* parent = nullptr);

    void setConnectedExtensionCount(int count);

    // The value texts of the five rows ("Markers" to "PostLab watch"; the scanning row reads
    // "Idle" or is empty while the progress indicator turns), then the error line when shown.
    QStringList shownTexts() const;

private:
    void showIndex();
    void showPostlab();

    IndexController& index_;
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
