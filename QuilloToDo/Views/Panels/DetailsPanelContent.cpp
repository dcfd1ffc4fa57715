#include "QuilloToDo/Views/Panels/DetailsPanelContent.h"

#include "QuilloToDo/Views/Panels/MiddleElidedLabel.h"
#include "QuilloToDo/Views/Shared/ViewTexts.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPillBadge.h"

#include "Platform/QtBridge/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <array>

namespace quillo {
namespace {

constexpr int kLabelWidth = 64;
constexpr auto kRowLabels =
    std::to_array<const char*>({"Assignee", "Role", "Event", "Timeline", "Timecode", "Library"});

void setTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
}

std::array<QString, kRowLabels.size()> rowValues(const TodoItem& item) {
    const auto text = [](const std::string& value) { return platform::toQString(std::string_view(value)); };
    return {detailValueText(item.assigneeName),
            detailValueText(item.roleName),
            text(item.eventName),
            text(item.timelineName),
            text(item.timelineTimecode),
            text(item.libraryName)};
}

}  // namespace

DetailsPanelContent::DetailsPanelContent(QWidget* parent)
    : QWidget(parent), details_(new QWidget(this)), text_(new QLabel(details_)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* hint = new QLabel(QStringLiteral("Click a marker in the list to see its full text here."), this);
    quilloMicro().applyTo(hint);
    hint->setWordWrap(true);
    hint_ = hint;
    layout->addWidget(hint_);

    auto* column = new QVBoxLayout(details_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    auto* badges = new QHBoxLayout;
    badges->setContentsMargins(0, 0, 0, 0);
    badges->setSpacing(8);
    for (MarkerKind kind : kAllMarkerKinds) {
        kindBadges_.push_back(new QuilloPillBadge(platform::toQString(displayName(kind)), Color::quilloAccent(),
                                                  QuilloPillBadgeStyle::soft, details_));
        badges->addWidget(kindBadges_.back());
    }
    for (TodoStatus status : kAllTodoStatuses) {
        const QColor tint = status == TodoStatus::done ? Color::green() : Color::orange();
        statusBadges_.push_back(
            new QuilloPillBadge(platform::toQString(displayName(status)), tint, QuilloPillBadgeStyle::soft, details_));
        badges->addWidget(statusBadges_.back());
    }
    badges->addStretch(1);
    column->addLayout(badges);

    text_->setFont(quilloFont(14, QuilloFontWeight::regular));
    setTextColor(text_, Qt::white);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    column->addWidget(text_);

    auto* rows = new QVBoxLayout;
    rows->setSpacing(4);
    const QFont font = quilloFont(12, QuilloFontWeight::regular);
    for (const char* name : kRowLabels) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* label = new QLabel(QString::fromLatin1(name), details_);
        label->setFont(font);
        setTextColor(label, Color::quilloTextTertiary());
        label->setFixedWidth(kLabelWidth);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        auto* value = new MiddleElidedLabel(2, details_);
        value->setFont(font);
        setTextColor(value, Color::quilloTextSecondary());
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Both in one font and top-aligned: their first lines share a baseline.
        row->addWidget(label, 0, Qt::AlignTop);
        row->addWidget(value, 1, Qt::AlignTop);
        rows->addLayout(row);
        rows_.emplace_back(label, value);
    }
    column->addLayout(rows);
    layout->addWidget(details_);
    layout->addStretch(1);
    setItem(std::nullopt);
}

void DetailsPanelContent::setItem(const std::optional<TodoItem>& item) {
    if (item && item_ && *item == *item_) return;
    item_ = item;
    hint_->setVisible(!item_);
    details_->setVisible(item_.has_value());
    if (!item_) return;

    // The kind's badge; for a to-do, its status's too.
    for (std::size_t i = 0; i < kAllMarkerKinds.size(); ++i)
        kindBadges_[i]->setVisible(kAllMarkerKinds[i] == item_->kind);
    for (std::size_t i = 0; i < kAllTodoStatuses.size(); ++i) {
        statusBadges_[i]->setVisible(item_->kind == MarkerKind::todo && kAllTodoStatuses[i] == item_->status);
    }

    text_->setText(platform::toQString(std::string_view(item_->text)));
    const auto values = rowValues(*item_);
    for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].second->setFullText(values[i]);
}

QStringList DetailsPanelContent::shownTexts() const {
    if (!item_) return {static_cast<QLabel*>(hint_)->text()};
    QStringList texts;
    for (const auto* badges : {&kindBadges_, &statusBadges_}) {
        for (QWidget* badge : *badges) {
            if (!badge->isHidden()) texts.append(static_cast<QuilloPillBadge*>(badge)->text());
        }
    }
    texts.append(text_->text());
    for (const auto& [label, value] : rows_) texts.append(label->text() + QStringLiteral(": ") + value->fullText());
    return texts;
}

}  // namespace quillo
