#include "QuilloToDo/Views/Shell/MainWindowSheets.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "QuilloToDo/Views/Sheets/RemindersExportSheet.h"

namespace quillo {

MainWindowSheets::MainWindowSheets(MainWindow& window, FeedbackSources sources, const IndexController& index,
                                   const MarkerFilterController& filter)
    : QObject(&window), window_(window), sources_(sources), index_(index), filter_(filter) {
    connect(&window, &MainWindow::showFeedbackChanged, this, &MainWindowSheets::presentFeedback);
    connect(&window, &MainWindow::showRemindersExportChanged, this, &MainWindowSheets::presentRemindersExport);
}

void MainWindowSheets::presentFeedback(bool shown) {
    if (!shown || feedback_) return;
    feedback_ = new FeedbackSheet(sources_, QString(), &window_);
    connect(feedback_, &QDialog::finished, this, [this] { window_.setShowFeedback(false); });
    feedback_->open();
}

void MainWindowSheets::presentRemindersExport(bool shown) {
    if (!shown || remindersExport_) return;
    // Held here: a range over a member of a temporary would outlive it.
    const auto filtered = filter_.filteredItems(index_.sharedItems());
    std::vector<TodoItem> items;
    for (const TodoItem* item : filtered->items) items.push_back(*item);
    remindersExport_ = new RemindersExportSheet(std::move(items), window_.remindersExport(), &window_);
    connect(remindersExport_, &QDialog::finished, this, [this] { window_.setShowRemindersExport(false); });
    remindersExport_->open();
}

}  // namespace quillo
