#include "QuilloToDo/Views/Sidebar/LibrarySourceListView.h"

#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Sidebar/AddLibraryPanel.h"
#include "QuilloToDo/Views/Sidebar/EventCard.h"
#include "QuilloToDo/Views/Sidebar/TimelineToggleRow.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloToDo/Views/SidebarModel/ExpandedEvents.h"
#include "QuilloToDo/Views/Sidebar/LibraryCardRow.h"
#include "Platform/QtBridge/QtText.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <unordered_map>

namespace quillo {

namespace {

// Old widgets go after the current event has been handled: the click that asked for the change
// may still be running inside one of them.
template <class Widget>
void discard(QList<Widget*>& widgets) {
    for (auto* widget : widgets) {
        widget->hide();
        widget->deleteLater();
    }
    widgets.clear();
}

QVBoxLayout* stack(QWidget* owner, int spacing, int top = 0) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, top, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace

LibrarySourceListView::LibrarySourceListView(LibraryController& libraries, IndexController& index,
                                             MarkerFilterController& filter, WindowSettings& settings,
                                             AddLibraryPanel& addPanel, QWidget* parent)
    : QWidget(parent),
      libraries_(libraries),
      index_(index),
      filter_(filter),
      settings_(settings),
      addPanel_(addPanel),
      noLibraries_(new QLabel(QStringLiteral("No libraries added yet"), this)),
      libraryCardsBox_(new QWidget(this)),
      eventSection_(new QWidget(this)),
      addButton_(new QuilloButton(QStringLiteral("Add Library..."), QStringLiteral("plus"), this)),
      detectButton_(
          new QuilloButton(QStringLiteral("Detect from Final Cut Pro"), QStringLiteral("wand.and.stars"), this)),
      detectionError_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->setSpacing(8);

    quilloMicro().applyTo(noLibraries_);
    auto* libraryBlock = new QWidget(this);
    libraryBlock_ = stack(libraryBlock, 4);
    libraryBlock_->addWidget(noLibraries_);
    libraryBlock_->addWidget(libraryCardsBox_);
    libraryBlock_->addWidget(eventSection_);
    stack(libraryCardsBox_, 4);
    stack(eventSection_, 4, 4);
    layout->addWidget(libraryBlock);

    auto* actions = new QWidget(this);
    auto* actionLayout = stack(actions, 4, 4);
    actionLayout->addWidget(addButton_, 0, Qt::AlignLeft);
    actionLayout->addWidget(detectButton_, 0, Qt::AlignLeft);
    quilloMicro().applyTo(detectionError_);
    detectionError_->setWordWrap(true);
    actionLayout->addWidget(detectionError_);
    layout->addWidget(actions);
    layout->addStretch(1);

    connect(addButton_, &QAbstractButton::clicked, this,
            [this] { presentAddLibraryPanel(addPanel_, libraries_, this); });
    connect(detectButton_, &QAbstractButton::clicked, this, &LibrarySourceListView::detect);

    connect(&libraries_, &LibraryController::watchedLibrariesChanged, this,
            &LibrarySourceListView::rebuildLibraryCards);
    connect(&libraries_, &LibraryController::lastLibraryDetectionErrorChanged, this,
            &LibrarySourceListView::showDetectionError);
    connect(&index_, &IndexController::structureChanged, this, &LibrarySourceListView::rebuildEventCards);
    connect(&index_, &IndexController::itemsChanged, this, &LibrarySourceListView::rebuildEventCards);
    connect(&filter_, &MarkerFilterController::filterChanged, this, &LibrarySourceListView::rebuildEventCards);
    connect(&filter_, &MarkerFilterController::excludedTimelineIDsChanged, this,
            &LibrarySourceListView::rebuildEventCards);
    connect(&settings_, &WindowSettings::expandedEventsChanged, this, &LibrarySourceListView::rebuildEventCards);

    rebuildLibraryCards();
    rebuildEventCards();
    showDetectionError();
}

void LibrarySourceListView::rebuildLibraryCards() {
    discard(libraryCards_);
    const auto& watched = libraries_.watchedLibraries();
    noLibraries_->setVisible(watched.isEmpty());
    libraryCardsBox_->setVisible(!watched.isEmpty());
    eventSection_->setVisible(!watched.isEmpty() && !eventCards_.isEmpty());
    for (auto* library : watched) {
        auto* card = new LibraryCardRow(*library, libraryCardsBox_);
        // Found by identity at the click: positions shift when another library is removed first.
        connect(card, &LibraryCardRow::removeRequested, this, [this, library = QPointer<WatchedLibrary>(library)] {
            if (!library) return;
            if (const auto position = libraries_.watchedLibraries().indexOf(library.data()); position >= 0) {
                libraries_.removeLibrary(position);
            }
        });
        libraryCardsBox_->layout()->addWidget(card);
        libraryCards_.append(card);
    }
}

// Which control of which card has the focus: the same control of the card that replaces it takes
// it back, so that a key press on a card's control leaves the focus where it was.
struct LibrarySourceListView::CardFocus {
    std::string storedID;
    enum class Control { header, checkbox, timeline } control;
    std::string timelineID;
};

std::optional<LibrarySourceListView::CardFocus> LibrarySourceListView::focusedCardControl() const {
    const QWidget* focused = QApplication::focusWidget();
    if (!focused) return std::nullopt;
    for (const EventCard* card : eventCards_) {
        if (!card->isAncestorOf(focused)) continue;
        const std::string& id = card->card().storedID;
        if (focused == card->headerButton()) return CardFocus{id, CardFocus::Control::header, {}};
        if (focused == card->checkbox()) return CardFocus{id, CardFocus::Control::checkbox, {}};
        for (qsizetype i = 0; i < card->rows().size(); ++i) {
            if (focused == card->rows()[i])
                return CardFocus{id, CardFocus::Control::timeline, card->card().timelines[std::size_t(i)].id};
        }
    }
    return std::nullopt;
}

void LibrarySourceListView::restoreFocus(const CardFocus& focus) {
    for (const EventCard* card : eventCards_) {
        if (card->card().storedID != focus.storedID) continue;
        QWidget* control = nullptr;
        switch (focus.control) {
        case CardFocus::Control::header: control = card->headerButton(); break;
        case CardFocus::Control::checkbox: control = card->checkbox(); break;
        case CardFocus::Control::timeline:
            for (qsizetype i = 0; i < card->rows().size(); ++i) {
                if (card->card().timelines[std::size_t(i)].id == focus.timelineID) control = card->rows()[i];
            }
            break;
        }
        if (control) control->setFocus(Qt::TabFocusReason);
        return;
    }
}

void LibrarySourceListView::rebuildEventCards() {
    const auto cards = sidebarEventCards(
        index_.structure(), filter_.filteredItems(index_.sharedItems())->timelineCounts, filter_.excludedTimelineIDs(),
        ExpandedEvents::decode(platform::toStdString(settings_.expandedEvents())));
    const bool onlyCountsChanged = std::equal(
        eventCards_.begin(), eventCards_.end(), cards.begin(), cards.end(),
        [](const EventCard* card, const SidebarEventCard& model) { return hasSameControls(card->card(), model); });
    if (onlyCountsChanged) {
        for (qsizetype i = 0; i < eventCards_.size(); ++i) eventCards_[i]->showCounts(cards[std::size_t(i)]);
        return;
    }

    const std::optional<CardFocus> focus = focusedCardControl();
    // A card whose folding changed grows or shrinks from the height it had.
    std::unordered_map<std::string, std::pair<bool, int>> before;
    for (const EventCard* card : eventCards_) before[card->card().storedID] = {card->card().isExpanded, card->height()};
    discard(eventCards_);
    for (const auto& model : cards) {
        auto* card = new EventCard(model, eventSection_);
        connect(card, &EventCard::toggleExpandedRequested, this, [this, id = model.storedID] { toggleExpanded(id); });
        connect(card, &EventCard::allTimelinesRequested, this,
                [this, ids = model.timelineIDs()](bool included) { filter_.setTimelines(ids, included); });
        connect(card, &EventCard::timelineToggleRequested, this, [this](const std::string& id) {
            // Decided at the click: an excluded timeline comes back, an included one goes.
            const bool excluded = filter_.excludedTimelineIDs().contains(platform::canonicalForm(id));
            filter_.setTimelines({id}, excluded);
        });
        eventSection_->layout()->addWidget(card);
        eventCards_.append(card);
        if (const auto old = before.find(model.storedID); old != before.end() && old->second.first != model.isExpanded)
            card->growFrom(old->second.second);
    }
    eventSection_->setVisible(!eventCards_.isEmpty() && !libraries_.watchedLibraries().isEmpty());
    if (focus) restoreFocus(*focus);
}

void LibrarySourceListView::toggleExpanded(const std::string& storedID) {
    settings_.setExpandedEvents(platform::toQString(
        std::string_view(ExpandedEvents::toggled(platform::toStdString(settings_.expandedEvents()), storedID))));
}

void LibrarySourceListView::showDetectionError() {
    const auto& error = libraries_.lastLibraryDetectionError();
    detectionError_->setText(error.value_or(QString()));
    detectionError_->setVisible(error.has_value());
}

QFuture<void> LibrarySourceListView::detect() {
    return libraries_.detectOpenFCPLibraries().then(this, [this](const QList<QUrl>& urls) {
        QList<QUrl> fresh;
        for (const auto& url : urls) {
            const auto& watched = libraries_.watchedLibraries();
            const bool isWatched = std::any_of(watched.begin(), watched.end(),
                                               [&](const WatchedLibrary* library) { return library->url() == url; });
            if (!isWatched) fresh.append(url);
        }
        if (fresh.size() == 1) {
            libraries_.addLibrary(fresh.front());
        } else if (fresh.size() > 1) {
            multipleFound_ = fresh;
            showMultiplePicker();
        }
    });
}

void LibrarySourceListView::showMultiplePicker() {
    if (multiplePicker_) multiplePicker_->close();
    const QString title = QStringLiteral("Multiple libraries are open in Final Cut Pro");
    auto* dialog = new QMessageBox(QMessageBox::NoIcon, title, title, QMessageBox::NoButton, window());
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    for (const auto& url : multipleFound_) {
        const QString name = QFileInfo(url.adjusted(QUrl::StripTrailingSlash).path()).completeBaseName();
        auto* button = dialog->addButton(name, QMessageBox::ActionRole);
        connect(button, &QAbstractButton::clicked, this, [this, url] { libraries_.addLibrary(url); });
    }
    auto* addAll = dialog->addButton(QStringLiteral("Add All"), QMessageBox::ActionRole);
    connect(addAll, &QAbstractButton::clicked, this, [this] {
        for (const auto& url : multipleFound_) libraries_.addLibrary(url);
    });
    dialog->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    multiplePicker_ = dialog;
    dialog->open();
}

}  // namespace quillo
