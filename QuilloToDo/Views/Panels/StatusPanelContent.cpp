#include "QuilloToDo/Views/Panels/StatusPanelContent.h"

#include "QuilloToDo/Views/Shared/BusyIndicator.h"
#include "QuilloToDo/Views/Shared/ViewTexts.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloDesign.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloStatusDot.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quillo {
namespace {

constexpr int kLabelWidth = 96;
constexpr int kSpacing = 8;

QLabel* textLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QLabel* valueLabel(QWidget* parent) {
    return textLabel({}, quilloFont(12, QuilloFontWeight::demiBold), Color::quilloTextSecondary(), parent);
}

// A dot followed by its text, 8 apart.
QWidget* dotted(QuilloStatusDot* dot, QLabel* text, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    layout->addWidget(dot, 0, Qt::AlignVCenter);
    layout->addWidget(text, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return box;
}

}  // namespace

StatusPanelContent::StatusPanelContent(IndexController& indexController, TodoIPCServer& ipcServer,
                                       PostlabLibraryLocator& postlabLocator, QWidget* parent)
    : QWidget(parent),
      index_(indexController),
      ipcServer_(ipcServer),
      locator_(postlabLocator),
      markers_(valueLabel(this)),
      lastScan_(valueLabel(this)),
      extensions_(valueLabel(this)),
      scanning_(new QStackedWidget(this)),
      postlabDot_(new QuilloStatusDot(Color::green(), QuilloDesign::DotSize::kStandard, false, this)),
      postlab_(valueLabel(this)),
      error_(textLabel({}, quilloFont(12, QuilloFontWeight::regular), Color::red(), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);

    auto* idleText = valueLabel(this);
    idleText->setText(QStringLiteral("Idle"));
    idle_ = dotted(new QuilloStatusDot(Color::green(), QuilloDesign::DotSize::kStandard, false, this), idleText, this);
    auto* busy = new QWidget(this);
    auto* busyLayout = new QHBoxLayout(busy);
    busyLayout->setContentsMargins(0, 0, 0, 0);
    busyLayout->addWidget(new BusyIndicator(12, busy));
    busyLayout->addStretch(1);
    busy_ = busy;
    scanning_->addWidget(idle_);
    scanning_->addWidget(busy_);
    scanning_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    const QFont labelFont = quilloFont(12, QuilloFontWeight::regular);
    const std::pair<const char*, QWidget*> rows[] = {
        {"Markers", markers_},
        {"Last scan", lastScan_},
        {"FCP Extension", extensions_},
        {"Scanning", scanning_},
        {"PostLab watch", dotted(postlabDot_, postlab_, this)},
    };
    for (const auto& [name, value] : rows) {
        auto* row = new QHBoxLayout;
        row->setSpacing(kSpacing);
        QLabel* label = textLabel(QString::fromLatin1(name), labelFont, Color::quilloTextTertiary(), this);
        label->setFixedWidth(kLabelWidth);
        row->addWidget(label, 0, Qt::AlignVCenter);
        row->addWidget(value, 1, Qt::AlignVCenter);
        layout->addLayout(row);
    }
    error_->setWordWrap(true);
    layout->addWidget(error_);
    layout->addStretch(1);

    connect(&index_, &IndexController::itemsChanged, this, &StatusPanelContent::showIndex);
    connect(&index_, &IndexController::lastRefreshDateChanged, this, &StatusPanelContent::showIndex);
    connect(&index_, &IndexController::isRefreshingChanged, this, &StatusPanelContent::showIndex);
    connect(&index_, &IndexController::lastRefreshErrorChanged, this, &StatusPanelContent::showIndex);
    connect(&locator_, &PostlabLibraryLocator::isPollingChanged, this, &StatusPanelContent::showPostlab);
    connect(&locator_, &PostlabLibraryLocator::watchedNamesChanged, this, &StatusPanelContent::showPostlab);
    connect(&ipcServer_, &TodoIPCServer::connectedExtensionCountChanged, this, &StatusPanelContent::showExtensions);
    showExtensions();
    showIndex();
    showPostlab();
}

void StatusPanelContent::showExtensions() {
    extensions_->setText(connectedExtensionsText(ipcServer_.connectedExtensionCount()));
}

void StatusPanelContent::showIndex() {
    markers_->setText(QString::number(index_.items().size()));
    lastScan_->setText(lastScanText(index_.lastRefreshDate()));
    scanning_->setCurrentWidget(index_.isRefreshing() ? busy_ : idle_);
    const std::optional<QString>& error = index_.lastRefreshError();
    error_->setText(error.value_or(QString()));
    error_->setVisible(error.has_value());
}

void StatusPanelContent::showPostlab() {
    const bool polling = locator_.isPolling();
    postlabDot_->setColor(polling ? Color::green() : Color::quilloTextTertiary());
    postlab_->setText(polling ? pollingNamesText(locator_.watchedNames().size()) : QStringLiteral("off"));
}

QStringList StatusPanelContent::shownTexts() const {
    QStringList texts{markers_->text(), lastScan_->text(), extensions_->text(),
                      scanning_->currentWidget() == idle_ ? QStringLiteral("Idle") : QString(), postlab_->text()};
    if (!error_->isHidden()) texts.append(error_->text());
    return texts;
}

}  // namespace quillo
