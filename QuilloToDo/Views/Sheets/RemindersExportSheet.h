#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QDialog>

#include <optional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillo {

class RemindersExportService;
class SheetStatusLine;

// The sheet that sends the to-dos shown in the main window to a reminders list, new or existing,
// and reports the result or the error in place. A window-modal dialog: Return runs the primary
// button, Escape cancels (a running export is not cancelled by it).
class RemindersExportSheet : public QDialog {
    Q_OBJECT
public:
    enum class Target { newList, existingList };

    RemindersExportSheet(std::vector<TodoItem> items, RemindersExportService& service, QWidget* parent);

    const std::vector<TodoItem>& items() const { return items_; }
    Target target() const { return target_; }
    void setTarget(Target target);
    QString newListTitle() const;
    std::optional<QString> existingListID() const { return existingListID_; }
    bool isExporting() const { return isExporting_; }
    QString status() const { return status_; }
    std::optional<bool> statusOK() const { return statusOK_; }

    // How many of the sheet's items were exported before.
    int alreadyExportedCount() const;
    bool canExport() const;
    // "N shown to-do(s) → reminders folder".
    static QString countLine(std::size_t count);
    // "Done: " and the counts, " in “", the list title, "”.".
    static QString resultLine(int createdCount, int updatedCount, const QString& listTitle);
    // What follows the result line when reminders could not be read and were left as they were:
    // " N reminder(s) could not be read and ... left as ...: " and the reason; empty for none.
    static QString untouchedLine(int untouchedCount, const QString& reason);

    // The primary button: "Done" dismisses after a successful export, "Export" runs one.
    void runPrimaryAction();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void runExport();
    void showDestination();
    void showAlreadyExported();
    void showState();

    std::vector<TodoItem> items_;
    RemindersExportService& service_;
    Target target_ = Target::newList;
    std::optional<QString> existingListID_;
    bool isExporting_ = false;
    bool shownOnce_ = false;
    QString status_;
    std::optional<bool> statusOK_;

    QButtonGroup* targetPicker_ = nullptr;
    QWidget* newListRow_ = nullptr;
    QLineEdit* newListTitle_ = nullptr;
    QLabel* newListCaption_ = nullptr;
    QLabel* accessCaption_ = nullptr;
    QLabel* noListsCaption_ = nullptr;
    QWidget* listPickerRow_ = nullptr;
    QComboBox* listPicker_ = nullptr;
    QLabel* alreadyExported_ = nullptr;
    SheetStatusLine* statusLine_ = nullptr;
    QPushButton* openReminders_ = nullptr;
    QPushButton* primary_ = nullptr;
};

}  // namespace quillo
