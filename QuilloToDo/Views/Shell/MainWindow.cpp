#include "QuilloToDo/Views/Shell/MainWindow.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloSplitShell.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"
#include "QuilloDesignKit/QuilloTrafficLights.h"
#include "QuilloDesignKit/QuilloWindowTransparencyAccessor.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Settings/AppNotifications.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Sidebar/AddLibraryPanel.h"
#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/Shell/EmptyStateView.h"
#include "QuilloToDo/Views/Sidebar/LibrarySourceListView.h"
#include "QuilloToDo/Views/Shell/RefreshRoutine.h"
#include "QuilloToDo/Views/Shared/FocusChain.h"
#include "QuilloToDo/Views/Shell/WindowAppearance.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QScrollArea>
#include <QStackedWidget>

namespace quillo {

namespace {

constexpr double kMinSidebarWidth = 180;
constexpr double kIdealSidebarWidth = 220;
constexpr double kMaxSidebarWidth = 320;
// The window buttons' row: from the leading edge and from the top.
constexpr int kControlsLeading = 24;
constexpr int kControlsTop = 16;

QuilloSplitShellOptions shellOptions(const WindowAppearance& appearance) {
    return QuilloSplitShellOptions{
        .baseColor = appearance.windowColor(),
        .baseOpacity = appearance.glassDarkness,
        .sidebarCardColor = appearance.sidebarColor(),
        .sidebarCardOpacity = appearance.sidebarOpacity(),
        .minSidebarWidth = kMinSidebarWidth,
        .idealSidebarWidth = kIdealSidebarWidth,
        .maxSidebarWidth = kMaxSidebarWidth,
    };
}

}  // namespace

MainWindow::MainWindow(MainWindowParts parts, QWidget* parent)
    : QWidget(parent),
      parts_(std::move(parts)),
      refresh_(new RefreshRoutine(parts_.libraries, parts_.index, parts_.locator, parts_.ipcServer, this)),
      pages_(new QStackedWidget(this)) {
    if (!parts_.addPanel) parts_.addPanel = std::make_unique<FileDialogAddLibraryPanel>();
    setWindowTitle(QStringLiteral("QuilloToDo"));
    quilloTransparentWindow(this, kMinimumWindowSize);

    emptyState_ = new EmptyStateView(parts_.libraries, parts_.settings, *parts_.addPanel, pages_);
    contentPane_ = new ContentPane(parts_.index, parts_.filter, parts_.settings, parts_.ipcServer, parts_.locator);
    shell_ = new QuilloSplitShell(shellOptions(WindowAppearance::from(parts_.settings)), makeSidebar(), contentPane_,
                                  pages_);
    pages_->addWidget(emptyState_);
    pages_->addWidget(shell_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);

    // The window's own buttons and the sidebar switch lie over the top-left corner in both states.
    windowControls_ = new QWidget(this);
    auto* controls = new QHBoxLayout(windowControls_);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(12);
    trafficLights_ = new QuilloTrafficLights(windowControls_);
    collapseButton_ =
        new QuilloSymbolButton(QStringLiteral("sidebar.leading"), 13, QFont::Medium, Color::quilloTextSecondary(),
                               QStringLiteral("Hide Sidebar"), QuilloEdge::bottom, windowControls_);
    controls->addWidget(trafficLights_, 0, Qt::AlignVCenter);
    controls->addWidget(collapseButton_, 0, Qt::AlignVCenter);
    connect(collapseButton_, &QAbstractButton::clicked, this, [this] { setSidebarCollapsed(!isSidebarCollapsed_); });

    connect(&parts_.libraries, &LibraryController::watchedLibrariesChanged, this,
            &MainWindow::showLibrariesOrInvitation);
    connect(&parts_.settings, &WindowSettings::changed, this, &MainWindow::applyAppearance);
    connect(contentPane_, &ContentPane::refreshRequested, this, [this] { refresh_->refreshAndMarkLoaded(); });
    connect(refresh_, &RefreshRoutine::isSearchingChanged, contentPane_, &ContentPane::setLibrarySearchRunning);
    connect(contentPane_, &ContentPane::remindersExportRequested, this, [this] { setShowRemindersExport(true); });
    connect(&parts_.remindersExport, &RemindersExportService::completedInRemindersChanged, this,
            [this] { contentPane_->setCompletedInReminders(parts_.remindersExport.completedInReminders()); });
    // A closed (hidden) window presents no sheet: the command does nothing then.
    connect(&AppNotifications::defaultCenter(), &AppNotifications::showFeedbackSheet, this, [this] {
        if (isVisible()) setShowFeedback(true);
    });
    connect(&AppNotifications::defaultCenter(), &AppNotifications::showRemindersExportSheet, this, [this] {
        if (isVisible()) setShowRemindersExport(true);
    });
    // Reminders ticked off elsewhere show as completed when the user comes back.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) parts_.remindersExport.refreshCompletionState();
    });

    showLibrariesOrInvitation();
    resize(1100, 720);
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::makeSidebar() {
    sidebar_ =
        new LibrarySourceListView(parts_.libraries, parts_.index, parts_.filter, parts_.settings, *parts_.addPanel);
    // The sidebar takes the card's width whatever its contents ask for; the card is resized by the
    // user, not by the widest button.
    sidebar_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* padded = new QWidget;
    auto* layout = new QVBoxLayout(padded);
    layout->setContentsMargins(0, 40, 0, 8);
    layout->addWidget(sidebar_);
    auto* scroll = new QScrollArea;
    scroll->setWidget(padded);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // its cards and buttons take the focus; it scrolls to them
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The card behind shows through.
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    padded->setAutoFillBackground(false);
    return scroll;
}

bool MainWindow::showsEmptyState() const { return pages_->currentWidget() == emptyState_; }

// Decided anew at every change of the list; the view state survives the switch.
void MainWindow::showLibrariesOrInvitation() {
    const bool empty = parts_.libraries.watchedLibraries().isEmpty();
    pages_->setCurrentWidget(empty ? static_cast<QWidget*>(emptyState_) : shell_);
    collapseButton_->setVisible(!empty);
    placeWindowControls();
}

void MainWindow::applyAppearance() {
    const auto appearance = WindowAppearance::from(parts_.settings);
    shell_->setBaseColor(appearance.windowColor(), appearance.glassDarkness);
    shell_->setSidebarCard(appearance.sidebarColor(), appearance.sidebarOpacity());
    emptyState_->update();
}

void MainWindow::setSidebarCollapsed(bool collapsed) {
    if (collapsed == isSidebarCollapsed_) return;
    isSidebarCollapsed_ = collapsed;
    shell_->setSidebarCollapsed(collapsed, true);
    contentPane_->setSidebarCollapsed(collapsed);
    collapseButton_->tooltip()->setText(collapsed ? QStringLiteral("Show Sidebar") : QStringLiteral("Hide Sidebar"));
    emit sidebarCollapsedChanged(collapsed);
}

void MainWindow::setShowFeedback(bool shown) {
    if (shown == showFeedback_) return;
    showFeedback_ = shown;
    emit showFeedbackChanged(shown);
}

void MainWindow::setShowRemindersExport(bool shown) {
    if (shown == showRemindersExport_) return;
    showRemindersExport_ = shown;
    emit showRemindersExportChanged(shown);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The refresh task starts with the content's first showing and then follows the watched URLs.
    if (!hasRefreshed_) {
        hasRefreshed_ = true;
        refresh_->start();
    }
}

// Cards and chips made since the last Tab press stand at the end of the focus chain: put it in
// reading order first.
bool MainWindow::focusNextPrevChild(bool next) {
    orderFocusChain(this);
    return QWidget::focusNextPrevChild(next);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeWindowControls();
}

void MainWindow::placeWindowControls() {
    windowControls_->adjustSize();
    windowControls_->move(kControlsLeading, kControlsTop);
    windowControls_->raise();
}

}  // namespace quillo
