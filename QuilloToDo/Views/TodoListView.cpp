#include "QuilloToDo/Views/TodoListView.h"

#include "QuilloToDo/Views/TodoListModel.h"
#include "QuilloToDo/Views/TodoRowDelegate.h"
#include "QuilloToDo/Views/TodoRowStyle.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloSymbolView.h"

#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace quillo {
namespace {

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
    title->setStyleSheet(QStringLiteral("color: white"));
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
      list_(new QListView(this)),
      empty_(makeNotice(this)),
      stack_(new QStackedLayout(this)) {
    list_->setModel(model_);
    list_->setItemDelegate(delegate_);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
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
    list_->setStyleSheet(QStringLiteral("QListView { background: transparent; border: none; }"));
    stack_->addWidget(list_);
    stack_->addWidget(empty_);

    connect(list_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (const TodoItem* item = model_->itemAt(index)) emit itemPicked(*item);
    });
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
}

void TodoListView::setCompletedInReminders(std::unordered_set<platform::UUID> ids) {
    model_->setCompletedInReminders(std::move(ids));
}

void TodoListView::showListOrNotice() {
    stack_->setCurrentWidget(model_->rowCount() == 0 ? empty_ : list_);
}

bool TodoListView::eventFilter(QObject* watched, QEvent* event) {
    // The completed-in-Reminders mark explains itself.
    if (watched == list_->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = list_->indexAt(help->pos());
        const TodoItem* item = model_->itemAt(index);
        if (item && model_->isDoneInReminders(*item) &&
            delegate_->doneMarkRect(list_->visualRect(index)).contains(help->pos())) {
            // shown by the design kit's tooltip once it is wired here
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quillo
