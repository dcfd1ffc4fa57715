#include "QuilloToDo/Views/Sheets/RemindersExportSheet.h"

#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Views/Forms/GroupedForm.h"
#include "QuilloToDo/Views/Sheets/SheetFooter.h"
#include "QuilloToDo/Views/Sheets/SheetHeader.h"
#include "QuilloToDo/Views/Sheets/SheetStatusLine.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloDivider.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace quillo {

RemindersExportSheet::RemindersExportSheet(std::vector<TodoItem> items, RemindersExportService& service,
                                           QWidget* parent)
    : QDialog(parent), items_(std::move(items)), service_(service) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Export as Reminders List"));
    setFixedSize(480, 440);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new SheetHeader(QStringLiteral("checklist"), Color::orange(),
                                      QStringLiteral("Export as Reminders List"), countLine(items_.size())));
    layout->addWidget(new QuilloDivider);
    auto* form = new GroupedForm;
    form->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(form, 1);

    GroupedFormSection* destination = form->addSection(QStringLiteral("Destination"));
    auto* segments = new QWidget;
    auto* segmentsLayout = new QHBoxLayout(segments);
    segmentsLayout->setContentsMargins(0, 0, 0, 0);
    segmentsLayout->setSpacing(0);
    targetPicker_ = new QButtonGroup(this);
    for (const auto& [title, target] : {std::pair{QStringLiteral("Create New List"), Target::newList},
                                        std::pair{QStringLiteral("Existing List"), Target::existingList}}) {
        auto* segment = new QPushButton(title);
        segment->setCheckable(true);
        segment->setAutoDefault(false);
        segment->setChecked(target == target_);
        targetPicker_->addButton(segment, int(target));
        segmentsLayout->addWidget(segment, 1);
    }
    segments->setAccessibleName(QStringLiteral("List"));
    // The chosen segment reads as selected, as a segmented control's does.
    segments->setStyleSheet(
        QStringLiteral(
            "QPushButton { padding: 4px 10px; border: 1px solid rgba(255, 255, 255, 40); background: rgba(255, 255, 255, 15); }"
            "QPushButton:checked { background: %1; border-color: %1; }"
            "QPushButton:focus { border: 2px solid %2; }")
            .arg(Color::quilloAccent().name(), Color::quilloAccent().lighter(170).name()));
    destination->addRow(segments);
    newListTitle_ = new QLineEdit;
    newListTitle_->setPlaceholderText(QStringLiteral("Name of the new list"));
    newListTitle_->setAccessibleName(QStringLiteral("Name of the new list"));
    newListRow_ = destination->addRow(newListTitle_);
    newListCaption_ = destination->addCaption(
        QStringLiteral("Created as its own list in the reminders folder (read by task apps like todoman and khal)."));
    accessCaption_ = destination->addCaption(
        QStringLiteral("Reminders access is requested when you export — your lists appear afterwards."));
    noListsCaption_ = destination->addCaption(QStringLiteral("No writable lists found."));
    listPicker_ = new QComboBox;
    listPicker_->setMinimumWidth(220);
    listPicker_->setAccessibleName(QStringLiteral("List"));
    listPickerRow_ = destination->addLabeledRow(QStringLiteral("List"), listPicker_);

    GroupedFormSection* what = form->addSection(QStringLiteral("What happens"));
    what->addLabeledRow(QStringLiteral("Title"), secondaryLabel(QStringLiteral("Marker text (with assignee prefix)")));
    what->addLabeledRow(QStringLiteral("Notes"),
                        secondaryLabel(QStringLiteral("Library › Event › Timeline @ Timecode, Role")));
    what->addLabeledRow(QStringLiteral("Completed to-dos"), secondaryLabel(QStringLiteral("arrive as completed")));
    alreadyExported_ = what->addCaption(QString());
    what->addCaption(
        QStringLiteral("One way only: changes made in Reminders don't flow back into Final Cut. QuilloToDo "
                       "does show reminders you've ticked off, right on the row."),
        true);

    statusLine_ = new SheetStatusLine(*form);

    layout->addWidget(new QuilloDivider);
    auto* footer = new SheetFooter;
    openReminders_ = footer->addLeadingButton(QStringLiteral("Open Reminders"));
    primary_ = footer->primaryButton();
    layout->addWidget(footer);

    connect(targetPicker_, &QButtonGroup::idClicked, this, [this](int id) { setTarget(Target(id)); });
    connect(newListTitle_, &QLineEdit::textChanged, this, &RemindersExportSheet::showState);
    connect(listPicker_, &QComboBox::currentIndexChanged, this, [this](int index) {
        const QVariant id = listPicker_->itemData(index);
        existingListID_ = id.isValid() ? std::optional(id.toString()) : std::nullopt;
        showState();
    });
    // The reminders store has no application of its own: its folder of lists stands in for it.
    connect(openReminders_, &QPushButton::clicked, this, [] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(platform::toQString(platform::ReminderStore::defaultRoot())));
    });
    connect(footer->cancelButton(), &QPushButton::clicked, this, &QDialog::reject);
    connect(primary_, &QPushButton::clicked, this, &RemindersExportSheet::runPrimaryAction);
    connect(&service_, &RemindersExportService::authorizationStatusChanged, this,
            &RemindersExportSheet::showDestination);
    connect(&service_, &RemindersExportService::availableListsChanged, this, &RemindersExportSheet::showDestination);
    connect(&service_, &RemindersExportService::exportedReminderIDsChanged, this,
            &RemindersExportSheet::showAlreadyExported);

    showDestination();
    showAlreadyExported();
    showState();
}

QString RemindersExportSheet::countLine(std::size_t count) {
    return QString::number(count) + QStringLiteral(" shown to-do") + (count == 1 ? QString() : QStringLiteral("s")) +
           QStringLiteral(" → reminders folder");
}

QString RemindersExportSheet::resultLine(int createdCount, int updatedCount, const QString& listTitle) {
    QStringList parts;
    if (createdCount >= 1) parts.append(QString::number(createdCount) + QStringLiteral(" new"));
    if (updatedCount >= 1) parts.append(QString::number(updatedCount) + QStringLiteral(" updated"));
    if (parts.isEmpty()) parts.append(QStringLiteral("0 new"));  // every one was left untouched
    return QStringLiteral("Done: ") + parts.join(QStringLiteral(", ")) + QStringLiteral(" in “") + listTitle +
           QStringLiteral("”.");
}

QString RemindersExportSheet::untouchedLine(int untouchedCount, const QString& reason) {
    if (untouchedCount < 1) return QString();
    return QStringLiteral(" ") + QString::number(untouchedCount) +
           (untouchedCount == 1 ? QStringLiteral(" reminder could not be read and was left as it is: ")
                                : QStringLiteral(" reminders could not be read and were left as they are: ")) +
           reason + QStringLiteral(".");
}

QString RemindersExportSheet::newListTitle() const { return newListTitle_->text(); }

void RemindersExportSheet::setTarget(Target target) {
    target_ = target;
    targetPicker_->button(int(target))->setChecked(true);
    showDestination();
}

int RemindersExportSheet::alreadyExportedCount() const {
    const ReminderMapping& mapping = service_.exportedReminderIDs();
    return int(
        std::count_if(items_.begin(), items_.end(), [&](const TodoItem& item) { return mapping.contains(item.id); }));
}

bool RemindersExportSheet::canExport() const {
    if (isExporting_ || items_.empty()) return false;
    // Space separators and tabs only: a line break in the name is left for the service to trim.
    if (target_ == Target::newList)
        return !platform::trimmedSpaceSeparatorsAndTabs(platform::toStdString(newListTitle_->text())).empty();
    return existingListID_.has_value();
}

void RemindersExportSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    newListTitle_->setText(RemindersExportService::suggestedListTitle(items_));
    if (service_.authorizationStatus() == platform::ReminderAuthorizationStatus::fullAccess) service_.reloadLists();
}

void RemindersExportSheet::showDestination() {
    const bool newList = target_ == Target::newList;
    const bool granted = service_.authorizationStatus() == platform::ReminderAuthorizationStatus::fullAccess;
    const QList<ReminderList>& lists = service_.availableLists();
    newListRow_->setVisible(newList);
    newListCaption_->setVisible(newList);
    accessCaption_->setVisible(!newList && !granted);
    noListsCaption_->setVisible(!newList && granted && lists.isEmpty());
    listPickerRow_->setVisible(!newList && granted && !lists.isEmpty());

    // The entries follow the service's lists; the choice stays while its list does.
    const std::optional<QString> chosen = existingListID_;
    {
        const QSignalBlocker blocker(listPicker_);
        listPicker_->clear();
        listPicker_->addItem(QStringLiteral("Choose …"));
        for (const ReminderList& list : lists) listPicker_->addItem(list.title, list.id);
        listPicker_->setCurrentIndex(chosen ? std::max(0, listPicker_->findData(*chosen)) : 0);
    }
    const QVariant id = listPicker_->currentData();
    existingListID_ = id.isValid() ? std::optional(id.toString()) : std::nullopt;
    showState();
}

void RemindersExportSheet::showAlreadyExported() {
    const int count = alreadyExportedCount();
    alreadyExported_->setVisible(count > 0);
    alreadyExported_->setText(
        QString::number(count) +
        QStringLiteral(
            " of these were exported before — they'll be updated and moved to the chosen list, not duplicated."));
}

void RemindersExportSheet::showState() {
    const bool done = statusOK_ == true;
    statusLine_->setStatus(status_, done);
    openReminders_->setVisible(done);
    primary_->setText(done ? QStringLiteral("Done") : QStringLiteral("Export"));
    primary_->setEnabled(done || canExport());
}

void RemindersExportSheet::runPrimaryAction() {
    if (statusOK_ == true) {
        accept();
    } else if (canExport()) {
        runExport();
    }
}

void RemindersExportSheet::runExport() {
    isExporting_ = true;
    status_.clear();
    statusOK_.reset();
    showState();
    const bool newList = target_ == Target::newList;
    service_
        .exportItems(items_, newList ? std::optional(newListTitle_->text()) : std::nullopt,
                     newList ? std::nullopt : existingListID_)
        .then(this, [this](QFuture<ExportResult> finished) {
            try {
                const ExportResult result = finished.result();
                status_ = resultLine(result.createdCount, result.updatedCount, result.listTitle) +
                          untouchedLine(result.untouchedCount, result.untouchedReason);
                statusOK_ = true;
            } catch (const std::exception& error) {
                status_ = QString::fromStdString(error.what());
                statusOK_ = false;
            }
            isExporting_ = false;
            showState();
        });
}

}  // namespace quillo
