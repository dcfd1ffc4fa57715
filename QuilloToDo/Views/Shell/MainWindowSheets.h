#pragma once

#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"
#include "QuilloToDo/Views/Sheets/FeedbackSources.h"
#include "QuilloToDo/Views/Sheets/RemindersExportSheet.h"

#include <QObject>
#include <QPointer>

namespace quillo {

class IndexController;
class MainWindow;
class MarkerFilterController;

// How the main window presents its two sheets: while the window asks for the feedback sheet it
// shows one with no area; while it asks for the export sheet it shows one with the items the window
// shows (the filter and the excluded timelines applied) and the window's own export service.
// Closing a sheet clears the window's request. A child of the window.
class MainWindowSheets : public QObject {
    Q_OBJECT
public:
    MainWindowSheets(MainWindow& window, FeedbackSources sources, const IndexController& index,
                     const MarkerFilterController& filter);

    FeedbackSheet* feedbackSheet() const { return feedback_; }
    RemindersExportSheet* remindersExportSheet() const { return remindersExport_; }

private:
    void presentFeedback(bool shown);
    void presentRemindersExport(bool shown);

    MainWindow& window_;
    FeedbackSources sources_;
    const IndexController& index_;
    const MarkerFilterController& filter_;
    QPointer<FeedbackSheet> feedback_;
    QPointer<RemindersExportSheet> remindersExport_;
};

}  // namespace quillo
