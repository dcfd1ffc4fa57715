#include "QuilloToDo/Views/Sidebar/EventCard.h"

#include "QuilloDesignKit/QuilloAccessibility.h"
#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloCountBadge.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloToDo/Views/Sidebar/EventHeaderButton.h"
#include "QuilloToDo/Views/Sidebar/TimelineToggleRow.h"
#include "Platform/QtBridge/QtText.h"

#include <QBoxLayout>
#include <QVariantAnimation>
#include <QPainter>

namespace quillo {

EventCard::EventCard(SidebarEventCard card, QWidget* parent)
    : QWidget(parent), card_(std::move(card)), sheet_(new QWidget(this)), growth_(new QVariantAnimation(this)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(sheet_);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(2);

    if (card_.showHeader) {
        auto* header = new QHBoxLayout;
        header->setContentsMargins(0, 2, 0, 2);
        header->setSpacing(6);
        headerButton_ =
            new EventHeaderButton(platform::toQString(std::string_view(card_.title())), card_.isExpanded, sheet_);
        connect(headerButton_, &QAbstractButton::clicked, this, &EventCard::toggleExpandedRequested);
        header->addWidget(headerButton_, 1);
        header->addSpacing(4);
        if (!card_.isExpanded) {
            badge_ = new QuilloCountBadge(card_.count(), Color::quilloTextSecondary(), sheet_);
            header->addWidget(badge_);
        }
        const EventCheckbox state = card_.checkbox();
        checkbox_ = new QuilloSymbolButton(platform::toQString(state.symbol()), 12, QFont::Normal,
                                           state.isAccented() ? Color::quilloAccent() : Color::quilloTextTertiary(),
                                           platform::toQString(state.tooltip()), QuilloEdge::bottom, sheet_);
        // Read as a check box: checked with every timeline in, partly checked with some.
        checkbox_->setCheckable(true);
        checkbox_->setChecked(state.state() == EventCheckbox::State::allIncluded);
        QuilloAccessibility::setPartlyChecked(checkbox_, state.state() == EventCheckbox::State::someIncluded);
        connect(checkbox_, &QAbstractButton::clicked, this,
                [this, includes = state.clickIncludes()] { emit allTimelinesRequested(includes); });
        header->addWidget(checkbox_);
        layout->addLayout(header);
    }
    if (card_.isExpanded) {
        for (const auto& timeline : card_.timelines) {
            auto* row = new TimelineToggleRow(platform::toQString(std::string_view(timeline.name)), timeline.isIncluded,
                                              timeline.count, sheet_);
            connect(row, &QAbstractButton::clicked, this,
                    [this, id = timeline.id] { emit timelineToggleRequested(id); });
            layout->addWidget(row);
            rows_.append(row);
        }
    }

    growth_->setEasingCurve(QuilloAnimation::easeInOut());
    connect(growth_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setFixedHeight(value.toInt()); });
    connect(growth_, &QVariantAnimation::finished, this, [this] {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        updateGeometry();
    });
}

void EventCard::showCounts(const SidebarEventCard& card) {
    for (std::size_t i = 0; i < card_.timelines.size(); ++i) card_.timelines[i].count = card.timelines[i].count;
    if (badge_) badge_->setCount(card_.count());
    for (qsizetype i = 0; i < rows_.size(); ++i) rows_[i]->setCount(card_.timelines[std::size_t(i)].count);
}

QSize EventCard::sizeHint() const { return sheet_->sizeHint(); }

QSize EventCard::minimumSizeHint() const { return sheet_->minimumSizeHint(); }

void EventCard::growFrom(int height) {
    const int duration = window()->isVisible() ? QuilloAnimation::duration(QuilloAnimation::kLayoutDurationMs) : 0;
    const int target = sizeHint().height();
    if (duration == 0 || height == target) return;
    setFixedHeight(height);
    growth_->setDuration(duration);
    growth_->setStartValue(height);
    growth_->setEndValue(target);
    growth_->start();
}

// The content keeps its own height while the card grows or shrinks around it: what does not fit
// yet is cut off, not squeezed.
void EventCard::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sheet_->setGeometry(0, 0, width(), std::max(height(), sheet_->sizeHint().height()));
}

void EventCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QuilloPainting::fillRoundedRect(painter, rect(), 10, Color::quilloCardFill());
}

}  // namespace quillo
