#include "QuilloToDo/Views/Shell/EmptyStateView.h"

#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloHudBackground.h"
#include "QuilloDesignKit/QuilloSymbolView.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Sidebar/AddLibraryPanel.h"
#include "QuilloToDo/Views/Shell/WindowAppearance.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

namespace quillo {

namespace {
// The platform's default padding around a stack.
constexpr int kDefaultPadding = 16;
}  // namespace

EmptyStateView::EmptyStateView(LibraryController& libraries, WindowSettings& settings, AddLibraryPanel& addPanel,
                               QWidget* parent)
    : QWidget(parent),
      libraries_(libraries),
      settings_(settings),
      addPanel_(addPanel),
      addButton_(new QuilloButton(QStringLiteral("Add Library..."), QString(), this)),
      detectButton_(
          new QuilloButton(QStringLiteral("Detect from Final Cut Pro"), QStringLiteral("wand.and.stars"), this)),
      detectionError_(new QLabel(this)) {
    setAcceptDrops(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kDefaultPadding, kDefaultPadding, kDefaultPadding, kDefaultPadding);
    layout->setSpacing(16);
    layout->addStretch(1);

    auto* symbol =
        new QuilloSymbolView(QStringLiteral("checklist"), 48, Color::quilloTextSecondary(), QFont::Normal, this);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);

    auto* invitation = new QLabel(QStringLiteral("Drop an FCP Library here"), this);
    QuilloTextStyle{quilloFont(17, QuilloFontWeight::medium), Color::quilloTextSecondary()}.applyTo(invitation);
    layout->addWidget(invitation, 0, Qt::AlignHCenter);

    auto* hint = new QLabel(QStringLiteral("or click the button below"), this);
    quilloMicro().applyTo(hint);
    layout->addWidget(hint, 0, Qt::AlignHCenter);

    addButton_->setActive(true);
    layout->addWidget(addButton_, 0, Qt::AlignHCenter);
    layout->addWidget(detectButton_, 0, Qt::AlignHCenter);

    quilloMicro().applyTo(detectionError_);
    detectionError_->setWordWrap(true);
    detectionError_->setAlignment(Qt::AlignHCenter);
    layout->addWidget(detectionError_);
    layout->addStretch(1);

    connect(addButton_, &QAbstractButton::clicked, this,
            [this] { presentAddLibraryPanel(addPanel_, libraries_, this); });
    connect(detectButton_, &QAbstractButton::clicked, this, &EmptyStateView::detect);
    connect(&libraries_, &LibraryController::lastLibraryDetectionErrorChanged, this,
            &EmptyStateView::showDetectionError);
    connect(&settings_, &WindowSettings::changed, this, qOverload<>(&QWidget::update));
    showDetectionError();
}

QFuture<void> EmptyStateView::detect() {
    // Unlike the sidebar, nothing is asked: every library found is added.
    return libraries_.detectOpenFCPLibraries().then(this, [this](const QList<QUrl>& urls) {
        for (const auto& url : urls) libraries_.addLibrary(url);
    });
}

void EmptyStateView::showDetectionError() {
    const auto& error = libraries_.lastLibraryDetectionError();
    detectionError_->setText(error.value_or(QString()));
    detectionError_->setVisible(error.has_value());
}

void EmptyStateView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto appearance = WindowAppearance::from(settings_);
    paintHudBackground(painter, rect(), appearance.windowColor(), appearance.glassDarkness, this);
}

}  // namespace quillo
