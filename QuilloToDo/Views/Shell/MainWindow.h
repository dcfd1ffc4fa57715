#pragma once

#include "QuilloToDo/Views/Sidebar/AddLibraryPanel.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QScrollArea;
class QStackedWidget;

namespace quillo {

class ContentPane;
class EmptyStateView;
class IndexController;
class LibraryController;
class LibrarySourceListView;
class MarkerFilterController;
class PostlabLibraryLocator;
class QuilloSplitShell;
class QuilloTrafficLights;
class RefreshRoutine;
class QuilloSymbolButton;
class RemindersExportService;
class TodoIPCServer;
class WindowSettings;

// What the application hands the main window: its long-lived controllers and its Reminders export
// service, which must outlive the window.
struct MainWindowParts {
    LibraryController& libraries;
    IndexController& index;
    MarkerFilterController& filter;
    TodoIPCServer& ipcServer;
    PostlabLibraryLocator& locator;
    WindowSettings& settings;
    RemindersExportService& remindersExport;
    // The open panel that adds a library; the file dialog when absent.
    std::unique_ptr<AddLibraryPanel> addPanel = nullptr;
};

// The application's main window: frameless and see-through, the first-run view while no library is
// watched and otherwise the sidebar beside the to-do content, with its own window buttons over the
// top-left corner. Runs the refresh that feeds the index and the extension from the moment it is
// first shown, and holds the view state its views share.
class MainWindow : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool isSidebarCollapsed READ isSidebarCollapsed WRITE setSidebarCollapsed NOTIFY sidebarCollapsedChanged)
    Q_PROPERTY(bool showFeedback READ showFeedback WRITE setShowFeedback NOTIFY showFeedbackChanged)
    Q_PROPERTY(bool showRemindersExport READ showRemindersExport WRITE setShowRemindersExport NOTIFY
                   showRemindersExportChanged)

public:
    static constexpr QSize kMinimumWindowSize{720, 480};

    explicit MainWindow(MainWindowParts parts, QWidget* parent = nullptr);
    ~MainWindow() override;

    bool isSidebarCollapsed() const noexcept { return isSidebarCollapsed_; }
    // Animated with the 0.2 s ease-in-out.
    void setSidebarCollapsed(bool collapsed);
    // Whether the feedback sheet and the Reminders export sheet are asked for.
    bool showFeedback() const noexcept { return showFeedback_; }
    void setShowFeedback(bool shown);
    bool showRemindersExport() const noexcept { return showRemindersExport_; }
    void setShowRemindersExport(bool shown);

    RefreshRoutine& refreshRoutine() const { return *refresh_; }
    RemindersExportService& remindersExport() const { return parts_.remindersExport; }

    // Parts, for tests and screenshots.
    EmptyStateView* emptyState() const { return emptyState_; }
    QuilloSplitShell* shell() const { return shell_; }
    LibrarySourceListView* sidebar() const { return sidebar_; }
    ContentPane* contentPane() const { return contentPane_; }
    QuilloTrafficLights* trafficLights() const { return trafficLights_; }
    QuilloSymbolButton* sidebarCollapseButton() const { return collapseButton_; }
    // Whether the first-run view is what the window shows.
    bool showsEmptyState() const;

signals:
    void sidebarCollapsedChanged(bool collapsed);
    void showFeedbackChanged(bool shown);
    void showRemindersExportChanged(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QWidget* makeSidebar();
    void showLibrariesOrInvitation();
    void applyAppearance();
    void placeWindowControls();

    MainWindowParts parts_;
    RefreshRoutine* refresh_;
    QStackedWidget* pages_;
    EmptyStateView* emptyState_;
    LibrarySourceListView* sidebar_;
    ContentPane* contentPane_;
    QuilloSplitShell* shell_;
    QWidget* windowControls_;
    QuilloTrafficLights* trafficLights_;
    QuilloSymbolButton* collapseButton_;
    bool isSidebarCollapsed_ = false;
    bool showFeedback_ = false;
    bool showRemindersExport_ = false;
    bool hasRefreshed_ = false;
};

}  // namespace quillo
