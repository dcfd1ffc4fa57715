#include "QuilloToDo/Views/Sidebar/EventCard.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloCountBadge.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloToDo/Views/Sidebar/TimelineToggleRow.h"
#include "Platform/QtBridge/QtText.h"

#include <QBoxLayout>
#include <QPainter>

#include <cmath>

namespace quillo {

namespace {

constexpr double kChevronSide = 10;
constexpr double kHeaderSpacing = 6;

// The chevron and the title: one button that folds the card.
class EventHeaderButton : public QAbstractButton {
public:
    EventHeaderButton(const QString& title, bool isExpanded, QWidget* parent)
        : QAbstractButton(parent), isExpanded_(isExpanded) {
        setText(title);
        setAccessibleName(title);
        setFont(quilloFont(12, QuilloFontWeight::demiBold));
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return {int(std::ceil(kChevronSide + kHeaderSpacing + metrics.horizontalAdvance(text()))),
                int(std::ceil(std::max(metrics.height(), kChevronSide)))};
    }
    QSize minimumSizeHint() const override { return {int(kChevronSide + kHeaderSpacing), sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown()) painter.setOpacity(0.7);
        painter.save();
        painter.translate(kChevronSide / 2, height() / 2.0);
        if (isExpanded_) painter.rotate(90);
        QuilloSymbol::paint(painter, QRectF(-kChevronSide / 2, -kChevronSide / 2, kChevronSide, kChevronSide),
                            QStringLiteral("chevron.right"), Color::quilloTextTertiary(), QFont::DemiBold);
        painter.restore();
        const double left = kChevronSide + kHeaderSpacing;
        const double available = std::max(0.0, width() - left);
        painter.setFont(font());
        painter.setPen(Color::quilloTextSecondary());
        painter.drawText(QRectF(left, 0, available, height()), Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetricsF(font()).elidedText(text(), Qt::ElideMiddle, available));
    }

private:
    bool isExpanded_;
};

}  // namespace

EventCard::EventCard(SidebarEventCard card, QWidget* parent) : QWidget(parent), card_(std::move(card)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(2);

    if (card_.showHeader) {
        auto* header = new QHBoxLayout;
        header->setContentsMargins(0, 2, 0, 2);
        header->setSpacing(6);
        headerButton_ =
            new EventHeaderButton(platform::toQString(std::string_view(card_.title())), card_.isExpanded, this);
        connect(headerButton_, &QAbstractButton::clicked, this, &EventCard::toggleExpandedRequested);
        header->addWidget(headerButton_, 1);
        header->addSpacing(4);
        if (!card_.isExpanded) {
            badge_ = new QuilloCountBadge(card_.count(), Color::quilloTextSecondary(), this);
            header->addWidget(badge_);
        }
        const EventCheckbox state = card_.checkbox();
        checkbox_ = new QuilloSymbolButton(platform::toQString(state.symbol()), 12, QFont::Normal,
                                           state.isAccented() ? Color::quilloAccent() : Color::quilloTextTertiary(),
                                           platform::toQString(state.tooltip()), QuilloEdge::bottom, this);
        connect(checkbox_, &QAbstractButton::clicked, this,
                [this, includes = state.clickIncludes()] { emit allTimelinesRequested(includes); });
        header->addWidget(checkbox_);
        layout->addLayout(header);
    }
    if (card_.isExpanded) {
        for (const auto& timeline : card_.timelines) {
            auto* row = new TimelineToggleRow(platform::toQString(std::string_view(timeline.name)), timeline.isIncluded,
                                              timeline.count, this);
            connect(row, &QAbstractButton::clicked, this,
                    [this, id = timeline.id] { emit timelineToggleRequested(id); });
            layout->addWidget(row);
            rows_.append(row);
        }
    }
}

void EventCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QuilloPainting::fillRoundedRect(painter, rect(), 10, Color::quilloCardFill());
}

}  // namespace quillo
