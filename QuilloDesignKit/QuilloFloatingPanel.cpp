#include "QuilloDesignKit/QuilloFloatingPanel.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloDesignKit/QuilloSymbolView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace quillo {

QuilloFloatingPanel::QuilloFloatingPanel(const QString& title, const QString& icon, std::function<void()> onExpand,
                                         std::function<void()> onClose, QWidget* content, QWidget* parent)
    : QWidget(parent), content_(content) {
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 8);
    header->setSpacing(8);
    if (!icon.isEmpty())
        header->addWidget(new QuilloSymbolView(icon, 12, Color::quilloTextSecondary(), QFont::Medium, this));
    header->addWidget(new QuilloSectionHeader(title, this));
    header->addStretch(1);
    auto addButton = [&](const char* symbol, const char* tooltip, std::function<void()> action) {
        auto* button =
            new QuilloSymbolButton(QString::fromLatin1(symbol), 11, QFont::DemiBold, Color::quilloTextTertiary(),
                                   QString::fromLatin1(tooltip), QuilloEdge::bottom, this);
        connect(button, &QAbstractButton::clicked, this, std::move(action));
        header->addWidget(button);
        return button;
    };
    if (onExpand) expandButton_ = addButton("arrow.up.left.and.arrow.down.right", "Expand", std::move(onExpand));
    if (onClose) closeButton_ = addButton("xmark", "Close", std::move(onClose));
    stack->addLayout(header);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 0, 12, 12);
    body->addWidget(content_);
    stack->addLayout(body);
    stack->addStretch(0);
}

void QuilloFloatingPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QuilloPainting::fillRoundedRect(painter, rect(), kCornerRadius, Color::quilloCardFill());
    QuilloPainting::strokeInsideRoundedRect(painter, rect(), kCornerRadius, Color::withOpacity(Qt::white, 0.06));
}

QuilloGlassSection::QuilloGlassSection(const QString& title, const QString& icon, QWidget* content, QWidget* parent)
    : QuilloFloatingPanel(title, icon, {}, {}, content, parent) {}

}  // namespace quillo
