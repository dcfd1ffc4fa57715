#include "QuilloToDo/Views/Content/ContentPane.h"

#include "QuilloToDo/Views/Shared/BusyIndicator.h"
#include "QuilloToDo/Views/Panels/DetailsPanelContent.h"
#include "QuilloToDo/Views/Filters/FilterChipRow.h"
#include "QuilloToDo/Views/Content/FooterView.h"
#include "QuilloToDo/Views/Filters/MarkerTypeFilterView.h"
#include "QuilloToDo/Views/Filters/RolePickerView.h"
#include "QuilloToDo/Views/Shared/ScrollBarStyle.h"
#include "QuilloToDo/Views/Content/SearchBar.h"
#include "QuilloToDo/Views/Filters/StatusFilterView.h"
#include "QuilloToDo/Views/Panels/StatusPanelContent.h"
#include "QuilloToDo/Views/List/TodoListView.h"
#include "QuilloToDo/Views/List/TodoSelection.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Settings/WindowSettings.h"

#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloChip.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloDivider.h"
#include "QuilloDesignKit/QuilloFloatingPanel.h"
#include "QuilloDesignKit/QuilloFloatingPanelColumn.h"
#include "QuilloDesignKit/QuilloPanelToggleButton.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"

#include "Platform/QtBridge/QtText.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace quillo {
namespace {

// With the sidebar collapsed the window's buttons lie over the pane's top-left corner.
constexpr int kCollapsedHeaderInset = 104;
constexpr int kSearchBarMaximumWidth = 220;
constexpr double kPanelColumnWidth = 320;
constexpr int kExpandedPadding = 8;
constexpr double kToolbarSymbolSize = 13;

std::size_t slot(RightPanel panel) { return panel == RightPanel::details ? 0 : 1; }

QString groupingLabel(ListGrouping grouping) {
    switch (grouping) {
    case ListGrouping::assignee: return QStringLiteral("Assignee");
    case ListGrouping::event: return QStringLiteral("Event");
    case ListGrouping::timeline: return QStringLiteral("Timeline");
    }
    return {};
}

// A panel's content scrolls, with visible scroll bars, inside its frame. The frame shares spare
// height between its content and a spacer, so the area insists on the height of its content, up to
// a limit beyond which a long text scrolls.
class PanelScrollArea : public QScrollArea {
public:
    static constexpr int kMaximumInsistedHeight = 320;

    QSize sizeHint() const override {
        const QSize content = widget() ? widget()->sizeHint() : QSize();
        return {QScrollArea::sizeHint().width(), content.height() + 2 * frameWidth()};
    }
    QSize minimumSizeHint() const override {
        return {QScrollArea::minimumSizeHint().width(), std::min(sizeHint().height(), kMaximumInsistedHeight)};
    }

protected:
    // The content's height follows what it shows (another selected to-do): so do these hints.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

QScrollArea* scrolling(QWidget* content) {
    auto* area = new PanelScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setAutoFillBackground(false);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    applyThinScrollBars(area);
    return area;
}

}  // namespace

ContentPane::ContentPane(IndexController& indexController, MarkerFilterController& filterController,
                         WindowSettings& settings, TodoIPCServer& ipcServer, PostlabLibraryLocator& postlabLocator,
                         QWidget* parent)
    : QWidget(parent), index_(indexController), filter_(filterController), settings_(settings) {
    // Each panel frame has its own content, as a widget lives in one place: one copy for the
    // column, one for the expanded view.
    for (std::size_t i = 0; i < 2; ++i) {
        details_[i] = new DetailsPanelContent;
        status_[i] = new StatusPanelContent(indexController, ipcServer, postlabLocator);
    }

    // The header, the list and the footer, one above the other.
    contentColumn_ = new QWidget;
    auto* column = new QVBoxLayout(contentColumn_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(new QuilloDivider(contentColumn_));
    list_ = new TodoListView(contentColumn_);
    column->addWidget(list_, 1);
    column->addWidget(new QuilloDivider(contentColumn_));
    footer_ = new FooterView(contentColumn_);
    column->addWidget(footer_);

    panelColumn_ = new QuilloFloatingPanelColumn(kPanelColumnWidth, QuilloEdge::trailing);
    for (RightPanel panel : kAllRightPanels) {
        columnPanels_[slot(panel)] = makePanel(panel, panelContent(panel, 0));
        panelColumn_->addPanel(columnPanels_[slot(panel)]);
    }

    normalPage_ = new QWidget;
    auto* row = new QHBoxLayout(normalPage_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(contentColumn_, 1);
    row->addWidget(panelColumn_);

    expandedPage_ = new QWidget;
    auto* expanded = new QVBoxLayout(expandedPage_);
    expanded->setContentsMargins(kExpandedPadding, kExpandedPadding, kExpandedPadding, kExpandedPadding);
    for (RightPanel panel : kAllRightPanels) {
        expandedPanels_[slot(panel)] = makePanel(panel, panelContent(panel, 1));
        expanded->addWidget(expandedPanels_[slot(panel)]);
    }

    pages_ = new QStackedLayout(this);
    pages_->addWidget(normalPage_);
    pages_->addWidget(expandedPage_);

    connect(&index_, &IndexController::itemsChanged, this, &ContentPane::showIndex);
    connect(&index_, &IndexController::isRefreshingChanged, this, &ContentPane::showRefreshing);
    connect(&filter_, &MarkerFilterController::filterChanged, this, [this] {
        showFilter();
        showItems(false);
    });
    connect(&filter_, &MarkerFilterController::excludedTimelineIDsChanged, this, [this] { showItems(false); });
    connect(&settings_, &WindowSettings::listGroupingRawChanged, this, &ContentPane::showGrouping);
    connect(list_, &TodoListView::itemPicked, this, &ContentPane::pick);

    showFilter();
    showGrouping();
    showIndex();
    showRefreshing();
    showPanels();
}

QWidget* ContentPane::makeHeader() {
    auto* header = new QWidget;
    auto* rows = new QVBoxLayout(header);
    rows->setContentsMargins(12, 16, 12, 12);
    rows->setSpacing(12);

    typeFilter_ = new MarkerTypeFilterView(makeToolbar(), header);
    rows->addWidget(typeFilter_);
    statusFilter_ = new StatusFilterView(header);
    rows->addWidget(statusFilter_);
    rolePicker_ = new RolePickerView(header);
    rows->addWidget(rolePicker_);

    auto* groupBy = new QWidget(header);
    auto* groupByLayout = new QVBoxLayout(groupBy);
    groupByLayout->setContentsMargins(0, 0, 0, 0);
    groupByLayout->setSpacing(4);
    groupByLayout->addWidget(new QuilloSectionHeader(QStringLiteral("Group by"), groupBy));
    groupByRow_ = new FilterChipRow(groupBy);
    QList<QWidget*> chips;
    for (ListGrouping grouping : kAllListGroupings) {
        const QuilloChipOptions options{.icon = {},
                                        .isSelected = false,
                                        .tint = Color::quilloAccent(),
                                        .style = QuilloChipStyle::standard(),
                                        .size = QuilloChipSize::compact,
                                        .isDisabled = false};
        chips.append(new QuilloChip(groupingLabel(grouping), options, nullptr, [this, grouping] {
            settings_.setListGroupingRaw(platform::toQString(rawValue(grouping)));
        }));
    }
    groupByRow_->setChips(chips);
    groupByLayout->addWidget(groupByRow_);
    rows->addWidget(groupBy);

    connect(searchBar_, &SearchBar::textChanged, this, [this](const QString& text) {
        MarkerFilter filter = filter_.filter();
        filter.setSearchText(platform::toStdString(text));
        filter_.setFilter(filter);
    });
    connect(typeFilter_, &MarkerTypeFilterView::selectedKindsEdited, this, [this](const std::set<MarkerKind>& kinds) {
        MarkerFilter filter = filter_.filter();
        filter.setKinds(kinds);
        filter_.setFilter(filter);
    });
    connect(statusFilter_, &StatusFilterView::selectedStatusesEdited, this,
            [this](const std::set<TodoStatus>& statuses) {
                MarkerFilter filter = filter_.filter();
                filter.setStatuses(statuses);
                filter_.setFilter(filter);
            });
    connect(rolePicker_, &RolePickerView::selectedRoleUIDsEdited, this, [this](const std::set<std::string>& ids) {
        MarkerFilter filter = filter_.filter();
        filter.setRoleUIDs(ids);
        filter_.setFilter(filter);
    });
    return header;
}

QWidget* ContentPane::makeToolbar() {
    auto* toolbar = new QWidget;
    auto* layout = new QHBoxLayout(toolbar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    searchBar_ = new SearchBar(toolbar);
    searchBar_->setMaximumWidth(kSearchBarMaximumWidth);
    layout->addWidget(searchBar_, 1);

    refreshButton_ = new QuilloSymbolButton(QStringLiteral("arrow.clockwise"), kToolbarSymbolSize, QFont::Medium,
                                            Qt::white, QStringLiteral("Refresh now"), QuilloEdge::bottom, toolbar);
    refreshing_ = new BusyIndicator(kToolbarSymbolSize, refreshButton_);
    refreshing_->hide();
    connect(refreshButton_, &QAbstractButton::clicked, this, &ContentPane::refreshRequested);
    layout->addWidget(refreshButton_);

    exportButton_ =
        new QuilloSymbolButton(QStringLiteral("checklist"), kToolbarSymbolSize, QFont::Medium, Qt::white,
                               QStringLiteral("Export shown to-dos as a Reminders list"), QuilloEdge::bottom, toolbar);
    connect(exportButton_, &QAbstractButton::clicked, this, &ContentPane::remindersExportRequested);
    layout->addWidget(exportButton_);

    auto* toggles = new QHBoxLayout;
    toggles->setSpacing(8);
    for (RightPanel panel : kAllRightPanels) {
        auto* toggle = new QuilloPanelToggleButton(
            platform::toQString(symbolName(panel)), false, platform::toQString(title(panel)),
            [this, panel] { apply(RightPanelAction::toggle, panel); }, toolbar);
        toggles_[slot(panel)] = toggle;
        toggles->addWidget(toggle);
    }
    layout->addLayout(toggles);
    return toolbar;
}

QuilloFloatingPanel* ContentPane::makePanel(RightPanel panel, QWidget* content) {
    return new QuilloFloatingPanel(
        platform::toQString(title(panel)), platform::toQString(symbolName(panel)),
        [this, panel] { apply(RightPanelAction::expand, panel); },
        [this, panel] { apply(RightPanelAction::close, panel); }, scrolling(content));
}

QWidget* ContentPane::panelContent(RightPanel panel, std::size_t copy) const {
    if (panel == RightPanel::details) return details_[copy];
    return status_[copy];
}

ListGrouping ContentPane::grouping() const {
    return listGrouping(platform::toStdString(settings_.listGroupingRaw())).value_or(ListGrouping::assignee);
}

void ContentPane::setSelectedItemID(const std::optional<platform::UUID>& id) {
    if (id == selectedItemID_) return;
    selectedItemID_ = id;
    list_->setSelectedID(id);
    showDetails();
    emit selectedItemIDChanged();
}

void ContentPane::pick(const TodoItem& item) {
    setSelectedItemID(selectionAfterPicking(selectedItemID_, item.id));
    apply(RightPanelAction::open, RightPanel::details);
}

void ContentPane::apply(RightPanelAction action, RightPanel panel) {
    const RightPanelState next = reduced(panels_, action, panel);
    if (next == panels_) return;
    panels_ = next;
    showPanels();
    emit panelsChanged();
}

void ContentPane::setSidebarCollapsed(bool collapsed) {
    isSidebarCollapsed_ = collapsed;
    typeFilter_->setHeaderLeadingInset(collapsed ? kCollapsedHeaderInset : 0);
}

void ContentPane::setCompletedInReminders(const std::set<platform::UUID>& ids) { list_->setCompletedInReminders(ids); }

QuilloPanelToggleButton* ContentPane::panelToggleButton(RightPanel panel) const { return toggles_[slot(panel)]; }

QuilloFloatingPanel* ContentPane::columnPanel(RightPanel panel) const { return columnPanels_[slot(panel)]; }

QuilloFloatingPanel* ContentPane::expandedPanelView(RightPanel panel) const { return expandedPanels_[slot(panel)]; }

void ContentPane::showFilter() {
    const MarkerFilter& filter = filter_.filter();
    searchBar_->setText(platform::toQString(std::string_view(filter.searchText())));
    typeFilter_->setSelectedKinds(filter.kinds());
    statusFilter_->setSelectedStatuses(filter.statuses());
    rolePicker_->setSelectedRoleUIDs(filter.roleUIDs());
}

void ContentPane::showItems(bool itemsReplaced) {
    shown_ = filter_.filteredItems(index_.sharedItems());
    list_->setContent(shown_->items, grouping(), itemsReplaced);
    footer_->setItemCount(static_cast<qint64>(shown_->items.size()));
}

void ContentPane::showIndex() {
    showItems(true);
    rolePicker_->setRoles(filter_.availableRoles(index_.items()));
    exportButton_->setEnabled(!index_.items().empty());
    showDetails();
}

void ContentPane::showGrouping() {
    const ListGrouping current = grouping();
    const QList<QWidget*> chips = groupByRow_->chips();
    for (std::size_t i = 0; i < kAllListGroupings.size(); ++i) {
        static_cast<QuilloChip*>(chips[static_cast<qsizetype>(i)])->setSelected(kAllListGroupings[i] == current);
    }
    showItems(false);
}

void ContentPane::showDetails() {
    // The selected to-do among all items of the index, also when the filter hides it.
    std::optional<TodoItem> item;
    if (selectedItemID_) {
        for (const TodoItem& candidate : index_.items()) {
            if (candidate.id == *selectedItemID_) {
                item = candidate;
                break;
            }
        }
    }
    for (DetailsPanelContent* details : details_) details->setItem(item);
}

void ContentPane::showPanels() {
    const bool expanded = panels_.expandedPanel.has_value();
    for (RightPanel panel : kAllRightPanels) {
        toggles_[slot(panel)]->setActive(panels_.activePanels.contains(panel));
        columnPanels_[slot(panel)]->setVisible(panels_.activePanels.contains(panel));
        expandedPanels_[slot(panel)]->setVisible(panels_.expandedPanel == panel);
    }
    panelColumn_->setRevealed(!panels_.activePanels.empty(), true);
    QWidget* page = expanded ? expandedPage_ : normalPage_;
    if (pages_->currentWidget() == page) return;
    pages_->setCurrentWidget(page);
    fadeIn(page);
}

// Expanding a panel or leaving it fades the new page in over the layout animation.
void ContentPane::fadeIn(QWidget* page) {
    const int duration = isVisible() ? QuilloAnimation::duration(QuilloAnimation::kLayoutDurationMs) : 0;
    if (duration == 0) {
        page->setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = new QGraphicsOpacityEffect(page);
    page->setGraphicsEffect(effect);  // deletes an earlier fade's effect and with it its animation
    auto* animation = new QPropertyAnimation(effect, "opacity", effect);
    animation->setDuration(duration);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setEasingCurve(QuilloAnimation::easeInOut());
    // The effect owns the animation: it goes once the animation has returned.
    connect(animation, &QAbstractAnimation::finished, page, [page, effect = QPointer(effect)] {
        QTimer::singleShot(0, page, [page, effect] {
            if (effect && page->graphicsEffect() == effect) page->setGraphicsEffect(nullptr);
        });
    });
    animation->start();
}

void ContentPane::setLibrarySearchRunning(bool running) {
    librarySearchRunning_ = running;
    showRefreshing();
}

void ContentPane::showRefreshing() {
    const bool refreshing = index_.isRefreshing() || librarySearchRunning_;
    refreshButton_->setEnabled(!refreshing);
    // The progress indicator stands in the button's place while it cannot be clicked.
    refreshButton_->setSymbol(refreshing ? QString() : QStringLiteral("arrow.clockwise"));
    refreshing_->setGeometry(refreshButton_->rect());
    refreshing_->setVisible(refreshing);
}

}  // namespace quillo
