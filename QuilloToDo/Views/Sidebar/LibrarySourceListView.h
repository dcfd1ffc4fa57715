#pragma once

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>
#include <QFuture>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QVBoxLayout;

namespace quillo {

class AddLibraryPanel;
class EventCard;
class IndexController;
class LibraryCardRow;
class LibraryController;
class MarkerFilterController;
class QuilloButton;
class WindowSettings;

// The sidebar's content: the watched libraries as cards, the buttons that add libraries, and one
// card per event of the index, where the user folds events open and switches timelines in or out
// of the list. Reads everything from the controllers and changes it only through them; its own
// lasting state is the set of expanded events in the window settings.
class LibrarySourceListView : public QWidget {
    Q_OBJECT
public:
    LibrarySourceListView(LibraryController& libraries, IndexController& index, MarkerFilterController& filter,
                          WindowSettings& settings, AddLibraryPanel& addPanel, QWidget* parent = nullptr);

    // Asks Final Cut Pro for its open libraries: a single new one is added at once; several open a
    // window-modal dialog to pick from.
    // The future finishes once what was found has been handled.
    QFuture<void> detect();
    // Folds the event with that stored id open or closed.
    void toggleExpanded(const std::string& storedID);

    const QList<LibraryCardRow*>& libraryCards() const { return libraryCards_; }
    const QList<EventCard*>& eventCards() const { return eventCards_; }
    QuilloButton* addButton() const { return addButton_; }
    QuilloButton* detectButton() const { return detectButton_; }
    // The detection's error text under the buttons; hidden without one.
    QLabel* detectionErrorLabel() const { return detectionError_; }
    // The dialog for several detected libraries while it is shown.
    QMessageBox* multiplePicker() const { return multiplePicker_; }
    const QList<QUrl>& multipleFound() const { return multipleFound_; }

private:
    struct CardFocus;
    std::optional<CardFocus> focusedCardControl() const;
    void restoreFocus(const CardFocus& focus);
    void rebuildLibraryCards();
    void rebuildEventCards();
    void showDetectionError();
    void showMultiplePicker();

    LibraryController& libraries_;
    IndexController& index_;
    MarkerFilterController& filter_;
    WindowSettings& settings_;
    AddLibraryPanel& addPanel_;

    QVBoxLayout* libraryBlock_;
    QLabel* noLibraries_;
    QWidget* libraryCardsBox_;
    QWidget* eventSection_;
    QuilloButton* addButton_;
    QuilloButton* detectButton_;
    QLabel* detectionError_;
    QList<LibraryCardRow*> libraryCards_;
    QList<EventCard*> eventCards_;
    QPointer<QMessageBox> multiplePicker_;
    QList<QUrl> multipleFound_;
};

}  // namespace quillo
