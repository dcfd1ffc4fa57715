#include "QuilloToDoFCPExtension/QuilloToDoFCPExtensionViewController.h"

#include "QuilloToDoFCPExtension/ExtensionNetworkClient.h"
#include "QuilloToDoFCPExtension/ExtensionPanelText.h"
#include "QuilloToDoFCPExtension/ExtensionTableModel.h"
#include "QuilloToDoFCPExtension/TimelineObserverWrapper.h"

#include "Platform/FCPXHost/FCPXHost.h"
#include "Platform/FCPXHost/FCPXTime.h"
#include "Platform/FCPXHost/FCPXTimeline.h"
#include "Platform/QtBridge/QtText.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <string_view>
#include <utility>

namespace quillo {

QuilloToDoFCPExtensionViewController::QuilloToDoFCPExtensionViewController(QWidget* parent, std::function<void()> beep)
    : QWidget(parent), networkClient_(new ExtensionNetworkClient(this)), beep_(std::move(beep)) {
    if (!beep_) beep_ = [] { QApplication::beep(); };
    loadView();
    viewDidLoad();
}

QuilloToDoFCPExtensionViewController::~QuilloToDoFCPExtensionViewController() {
    if (timelineObserver_ && timeline_) timeline_->removeTimelineObserver(timelineObserver_.get());
    networkClient_->setDelegate(nullptr);
    networkClient_->stop();
}

void QuilloToDoFCPExtensionViewController::loadView() {
    resize(360, 260);

    statusLabel_ = new QLabel(extensionpaneltext::kConnecting, this);
    statusLabel_->setTextInteractionFlags(Qt::NoTextInteraction);
    QFont statusFont = statusLabel_->font();
    statusFont.setPixelSize(11);  // sizes are device-independent pixels, as in the application's design kit
    statusLabel_->setFont(statusFont);
    statusLabel_->setForegroundRole(QPalette::PlaceholderText);  // the secondary text colour

    model_ = new ExtensionTableModel(this);
    tableView_ = new QTableView(this);
    tableView_->setModel(model_);
    tableView_->horizontalHeader()->hide();
    tableView_->horizontalHeader()->setStretchLastSection(true);
    tableView_->horizontalHeader()->setMinimumSectionSize(0);
    tableView_->setColumnWidth(0, 320);
    tableView_->verticalHeader()->hide();
    tableView_->setShowGrid(false);
    tableView_->setAlternatingRowColors(true);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setWordWrap(false);
    tableView_->setTextElideMode(Qt::ElideRight);
    tableView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tableView_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tableView_->setStyleSheet(QStringLiteral("QTableView::item { padding-left: 6px; padding-right: 6px; }"));
    QFont cellFont = tableView_->font();
    cellFont.setPixelSize(12);
    tableView_->setFont(cellFont);
    connect(tableView_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { rowDoubleClicked(index.row()); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(6);
    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(8, 0, 8, 0);
    statusRow->addWidget(statusLabel_);
    layout->addLayout(statusRow);
    layout->addWidget(tableView_, 1);
}

void QuilloToDoFCPExtensionViewController::viewDidLoad() {
    networkClient_->setDelegate(this);
    networkClient_->start();
    QTimer::singleShot(0, this, &QuilloToDoFCPExtensionViewController::setupFCPXHost);
}

void QuilloToDoFCPExtensionViewController::setupFCPXHost() {
    platform::FCPXHost* host = platform::ProExtensionHostSingleton();
    if (!host) {
        // Not retried; received lists still show.
        statusLabel_->setText(extensionpaneltext::kNoHost);
        return;
    }
    host_ = host;
    timeline_ = host->timeline();
    timelineObserver_ = std::make_unique<TimelineObserverWrapper>(this);
    if (timeline_) timeline_->addTimelineObserver(timelineObserver_.get());
    handleSequenceChanged();
}

void QuilloToDoFCPExtensionViewController::handleSequenceChanged() {
    std::optional<platform::FCPXSequence> sequence;
    if (timeline_) sequence = timeline_->activeSequence();
    activeSequenceName_ =
        sequence ? std::optional(platform::toQString(std::string_view(sequence->name))) : std::nullopt;
    updateStatusLabel();
}

void QuilloToDoFCPExtensionViewController::didReceive(std::vector<TodoItem> items) {
    model_->setItems(std::move(items));
    updateStatusLabel();
}

const std::vector<TodoItem>& QuilloToDoFCPExtensionViewController::items() const noexcept { return model_->items(); }

void QuilloToDoFCPExtensionViewController::updateStatusLabel() {
    statusLabel_->setText(extensionpaneltext::status(items().size()));
}

void QuilloToDoFCPExtensionViewController::rowDoubleClicked(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= items().size()) return;
    const TodoItem& item = items()[static_cast<std::size_t>(row)];
    // Only names are compared: sequences of one name in different events are not told apart.
    if (activeSequenceName_ && *activeSequenceName_ == platform::toQString(std::string_view(item.timelineName)) &&
        timeline_) {
        // The position comes from the socket: one that is not finite or does not fit the host's time
        // value beeps like any jump that cannot be made.
        if (const auto time = platform::FCPXTime::fromSeconds(item.timelinePositionSeconds, kPlayheadTimescale)) {
            timeline_->movePlayheadTo(*time);
            return;
        }
    }
    beep_();
}

}  // namespace quillo
