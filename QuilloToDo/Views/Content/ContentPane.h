#pragma once

#include "QuilloToDo/Controllers/FilteredItems.h"
#include "QuilloToDo/Controllers/ListGrouping.h"
#include "QuilloToDo/Views/Panels/RightPanelState.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "Platform/Foundation/UUID.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <set>
#include <vector>

class QStackedLayout;

namespace quillo {

class BusyIndicator;
class DetailsPanelContent;
class FilterChipRow;
class FooterView;
class IndexController;
class MarkerFilterController;
class MarkerTypeFilterView;
class PostlabLibraryLocator;
class QuilloChip;
class QuilloFloatingPanel;
class QuilloFloatingPanelColumn;
class QuilloPanelToggleButton;
class QuilloSymbolButton;
class RolePickerView;
class SearchBar;
class StatusFilterView;
class StatusPanelContent;
class TodoIPCServer;
class TodoListView;
class WindowSettings;

// The right-hand column of the main window: the filter header with the toolbar, the grouped to-do
// list with its footer, and beside them the open right panels (or one of them filling the column).
// It reads the controllers and edits only the filter, the stored grouping and the view state it
// holds for the window: the selected to-do, the open and expanded panels, whether the sidebar is
// collapsed.
class ContentPane : public QWidget {
    Q_OBJECT

public:
    ContentPane(IndexController& indexController, MarkerFilterController& filterController, WindowSettings& settings,
                TodoIPCServer& ipcServer, PostlabLibraryLocator& postlabLocator, QWidget* parent = nullptr);

    // The grouping in use: the stored one, or assignee for a stored text that names none.
    ListGrouping grouping() const;
    // The to-dos the list shows (pointers into the index's items).
    const std::vector<const TodoItem*>& shownItems() const noexcept { return shown_->items; }

    const std::optional<platform::UUID>& selectedItemID() const noexcept { return selectedItemID_; }
    void setSelectedItemID(const std::optional<platform::UUID>& id);
    // What happens when the user picks the row of `item`: the selection toggles and Details opens.
    void pick(const TodoItem& item);

    const RightPanelState& panels() const noexcept { return panels_; }
    void apply(RightPanelAction action, RightPanel panel);

    bool isSidebarCollapsed() const noexcept { return isSidebarCollapsed_; }
    void setSidebarCollapsed(bool collapsed);

    // While the open-library search of a refresh runs, "Refresh now" waits as it does during the scan.
    void setLibrarySearchRunning(bool running);

    // Ids whose exported reminder was completed in Reminders, from the window's export service.
    void setCompletedInReminders(const std::set<platform::UUID>& ids);

    // Parts, for the window and for tests.
    SearchBar* searchBar() const noexcept { return searchBar_; }
    MarkerTypeFilterView* typeFilter() const noexcept { return typeFilter_; }
    StatusFilterView* statusFilter() const noexcept { return statusFilter_; }
    RolePickerView* rolePicker() const noexcept { return rolePicker_; }
    FilterChipRow* groupByRow() const noexcept { return groupByRow_; }
    TodoListView* list() const noexcept { return list_; }
    FooterView* footer() const noexcept { return footer_; }
    QuilloSymbolButton* refreshButton() const noexcept { return refreshButton_; }
    QuilloSymbolButton* remindersExportButton() const noexcept { return exportButton_; }
    QuilloPanelToggleButton* panelToggleButton(RightPanel panel) const;
    QuilloFloatingPanelColumn* panelColumn() const noexcept { return panelColumn_; }
    // The frame of a panel in the column, and the one shown while it is expanded.
    QuilloFloatingPanel* columnPanel(RightPanel panel) const;
    QuilloFloatingPanel* expandedPanelView(RightPanel panel) const;
    DetailsPanelContent* detailsContent() const noexcept { return details_[0]; }
    // The header, list and footer; hidden while a panel is expanded.
    QWidget* contentColumn() const noexcept { return contentColumn_; }

signals:
    // "Refresh now": the window runs its refresh.
    void refreshRequested();
    // The export button: the window shows the Reminders export sheet.
    void remindersExportRequested();
    void selectedItemIDChanged();
    void panelsChanged();

private:
    QWidget* makeHeader();
    QWidget* makeToolbar();
    QuilloFloatingPanel* makePanel(RightPanel panel, QWidget* content);
    QWidget* panelContent(RightPanel panel, std::size_t copy) const;

    void showFilter();
    void showItems(bool itemsReplaced);
    void showIndex();
    void showGrouping();
    void showDetails();
    void showPanels();
    void fadeIn(QWidget* page);
    void showRefreshing();

    IndexController& index_;
    MarkerFilterController& filter_;
    WindowSettings& settings_;

    std::shared_ptr<const FilteredItems> shown_ = std::make_shared<const FilteredItems>();
    std::optional<platform::UUID> selectedItemID_;
    RightPanelState panels_;
    bool isSidebarCollapsed_ = false;
    bool librarySearchRunning_ = false;

    SearchBar* searchBar_ = nullptr;
    MarkerTypeFilterView* typeFilter_ = nullptr;
    StatusFilterView* statusFilter_ = nullptr;
    RolePickerView* rolePicker_ = nullptr;
    FilterChipRow* groupByRow_ = nullptr;
    TodoListView* list_ = nullptr;
    FooterView* footer_ = nullptr;
    QuilloSymbolButton* refreshButton_ = nullptr;
    BusyIndicator* refreshing_ = nullptr;
    QuilloSymbolButton* exportButton_ = nullptr;
    QuilloPanelToggleButton* toggles_[2] = {};
    QWidget* contentColumn_ = nullptr;
    QuilloFloatingPanelColumn* panelColumn_ = nullptr;
    QuilloFloatingPanel* columnPanels_[2] = {};
    QuilloFloatingPanel* expandedPanels_[2] = {};
    DetailsPanelContent* details_[2] = {};
    StatusPanelContent* status_[2] = {};
    QStackedLayout* pages_ = nullptr;
    QWidget* normalPage_ = nullptr;
    QWidget* expandedPage_ = nullptr;
};

}  // namespace quillo
