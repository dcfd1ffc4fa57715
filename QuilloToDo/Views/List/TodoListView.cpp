#include "QuilloToDo/Views/List/TodoListView.h"

#include "QuilloToDo/Views/List/TodoListModel.h"
#include "QuilloToDo/Views/List/TodoRowDelegate.h"
#include "QuilloToDo/Views/Shared/ScrollBarStyle.h"
#include "QuilloToDo/Views/List/TodoRowStyle.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloSymbolView.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"  // QuilloTooltip holds a QPointer to it

#include <QFocusEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QLabel>
#include <QListView>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace quillo {
namespace {

// The rows' list. Its selection mirrors the selected id, so that assistive technology reads the
// selected row as selected; clicks and keys never change it (they only report the row).
class RowList : public QListView {
public:
    using QListView::QListView;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex&, const QEvent*) const override {
        return QItemSelectionModel::NoUpdate;
    }

    // Reached with the keyboard, the list starts on its first to-do rather than on the header above it.
    void focusInEvent(QFocusEvent* event) override {
        const bool hadCurrent = currentIndex().isValid();
        QListView::focusInEvent(event);
        if (hadCurrent || event->reason() == Qt::MouseFocusReason) return;
        for (int row = 0; row < model()->rowCount(); ++row) {
            const QModelIndex index = model()->index(row, 0);
            if (TodoListModel::rowKind(index) == TodoListModel::RowKind::item) {
                selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
                return;
            }
        }
    }
};

// The content-unavailable notice: a symbol, a title and a description, centred in the list's place.
QWidget* makeNotice(QWidget* parent) {
    auto* notice = new QWidget(parent);
    auto* layout = new QVBoxLayout(notice);
    layout->setSpacing(8);
    layout->addStretch(1);
    auto* symbol = new QuilloSymbolView(QStringLiteral("checklist.unchecked"), 40, Color::quilloTextTertiary(),
                                        QFont::Medium, notice);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* title = new QLabel(QStringLiteral("No markers match the current filter"), notice);
    title->setObjectName(QStringLiteral("noticeTitle"));
    quilloHeadline().applyTo(title);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(titlePalette);
    title->setAlignment(Qt::AlignHCenter);
    title->setWordWrap(true);
    layout->addWidget(title);
    auto* description =
        new QLabel(QStringLiteral("Adjust the search/type/role/status filters, or scan a library."), notice);
    description->setObjectName(QStringLiteral("noticeDescription"));
    quilloCaption().applyTo(description);
    description->setAlignment(Qt::AlignHCenter);
    description->setWordWrap(true);
    layout->addWidget(description);
    layout->addStretch(1);
    return notice;
}

}  // namespace

TodoListView::TodoListView(QWidget* parent)
    : QWidget(parent),
      model_(new TodoListModel(this)),
      delegate_(new TodoRowDelegate(this)),
      list_(new RowList(this)),
      empty_(makeNotice(this)),
      stack_(new QStackedLayout(this)),
      doneMark_(new QWidget(list_->viewport())) {
    list_->setModel(model_);
    list_->setItemDelegate(delegate_);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setMouseTracking(true);
    list_->viewport()->setAttribute(Qt::WA_Hover);
    list_->viewport()->installEventFilter(this);
    // The window's background shows through the list.
    list_->setAutoFillBackground(false);
    list_->viewport()->setAutoFillBackground(false);
    applyThinScrollBars(list_);
    stack_->addWidget(list_);
    stack_->addWidget(empty_);

    connect(list_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (const TodoItem* item = model_->itemAt(index)) emit itemPicked(*item);
    });

    doneMark_->hide();
    doneMark_->installEventFilter(this);
    quilloTooltip(doneMark_, QString::fromLatin1(TodoRowStyle::kDoneInRemindersTooltip));
    connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, doneMark_, &QWidget::hide);
    connect(model_, &QAbstractItemModel::layoutChanged, doneMark_, &QWidget::hide);
    connect(model_, &QAbstractItemModel::modelReset, doneMark_, &QWidget::hide);
    connect(model_, &QAbstractItemModel::rowsRemoved, doneMark_, &QWidget::hide);
    connect(model_, &QAbstractItemModel::rowsInserted, doneMark_, &QWidget::hide);
    // Rows that come and go move the selected one, or bring it back.
    connect(model_, &QAbstractItemModel::modelReset, this, &TodoListView::showSelection);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TodoListView::showSelection);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TodoListView::showSelection);
    connect(model_, &QAbstractItemModel::modelReset, this, &TodoListView::showListOrNotice);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TodoListView::showListOrNotice);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TodoListView::showListOrNotice);
    showListOrNotice();
}

void TodoListView::setContent(std::vector<const TodoItem*> items, ListGrouping grouping, bool itemsReplaced) {
    model_->setContent(std::move(items), grouping, itemsReplaced);
}

void TodoListView::setSelectedID(const std::optional<platform::UUID>& id) {
    model_->setSelectedID(id);
    showSelection();
}

void TodoListView::showSelection() {
    const std::optional<platform::UUID>& id = model_->selectedID();
    const int row = id ? model_->rowOf(*id) : -1;
    QItemSelectionModel* selection = list_->selectionModel();
    if (row < 0) {
        if (selection->hasSelection()) selection->clearSelection();
        return;
    }
    const QModelIndex index = model_->index(row);
    if (!selection->isSelected(index)) selection->select(index, QItemSelectionModel::ClearAndSelect);
}

void TodoListView::setCompletedInReminders(const std::set<platform::UUID>& ids) {
    model_->setCompletedInReminders(ids);
}

void TodoListView::showListOrNotice() { stack_->setCurrentWidget(model_->rowCount() == 0 ? empty_ : list_); }

void TodoListView::placeDoneMarkHotspot(const QPoint& pointer) {
    const QModelIndex index = list_->indexAt(pointer);
    const TodoItem* item = model_->itemAt(index);
    if (!item || !model_->isDoneInReminders(*item)) {
        if (!doneMark_->underMouse()) doneMark_->hide();
        return;
    }
    doneMarkRow_ = index;
    doneMark_->setGeometry(delegate_->doneMarkRect(list_->visualRect(index)).toAlignedRect());
    doneMark_->show();
}

bool TodoListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseMove)
            placeDoneMarkHotspot(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (event->type() == QEvent::Leave && !doneMark_->underMouse()) doneMark_->hide();
    } else if (watched == doneMark_ && event->type() == QEvent::MouseButtonRelease) {
        if (const TodoItem* item = model_->itemAt(doneMarkRow_)) emit itemPicked(*item);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quillo
