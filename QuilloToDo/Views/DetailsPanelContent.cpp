#include "QuilloToDo/Views/DetailsPanelContent.h"

#include "QuilloToDo/Views/MiddleElidedLabel.h"
#include "QuilloToDo/Views/ViewTexts.h"

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

constexpr int labelWidth = 64;
constexpr auto rowLabels = std::to_array<const char*>({"Assignee", "Role", "Event", "Timeline", "Timecode", "Library"});

void setTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
}

std::array<QString, rowLabels.size()> rowValues(const TodoItem& item) {
    const auto text = [](const std::string& value) { return platform::toQString(std::string_view(value)); };
    return {detailValueText(item.assigneeName), detailValueText(item.roleName), text(item.eventName),
            text(item.timelineName),            text(item.timelineTimecode),   text(item.libraryName)};
}

}  // namespace

DetailsPanelContent::DetailsPanelContent(QWidget* parent)
    : QWidget(parent), details_(new QWidget(this)), badges_(new QHBoxLayout), text_(new QLabel(details_)) {
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
    badges_->setContentsMargins(0, 0, 0, 0);
    badges_->setSpacing(8);
    column->addLayout(badges_);

    text_->setFont(quilloFont(14, QuilloFontWeight::regular));
    setTextColor(text_, Qt::white);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    column->addWidget(text_);

    auto* rows = new QVBoxLayout;
    rows->setSpacing(4);
    const QFont font = quilloFont(12, QuilloFontWeight::regular);
    for (const char* name : rowLabels) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* label = new QLabel(QString::fromLatin1(name), details_);
        label->setFont(font);
        setTextColor(label, Color::quilloTextTertiary());
        label->setFixedWidth(labelWidth);
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

    while (QLayoutItem* old = badges_->takeAt(0)) {
        delete old->widget();
        delete old;
    }
    badges_->addWidget(new QuilloPillBadge(platform::toQString(displayName(item_->kind)), Color::quilloAccent(),
                                           QuilloPillBadgeStyle::soft, details_));
    if (item_->kind == MarkerKind::todo) {
        const QColor tint = item_->status == TodoStatus::done ? Color::green() : Color::orange();
        badges_->addWidget(new QuilloPillBadge(platform::toQString(displayName(item_->status)), tint,
                                               QuilloPillBadgeStyle::soft, details_));
    }
    badges_->addStretch(1);

    text_->setText(platform::toQString(std::string_view(item_->text)));
    const auto values = rowValues(*item_);
    for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].second->setFullText(values[i]);
}

QStringList DetailsPanelContent::shownTexts() const {
    if (!item_) return {static_cast<QLabel*>(hint_)->text()};
    QStringList texts;
    for (int i = 0; i < badges_->count(); ++i) {
        if (const auto* badge = qobject_cast<QuilloPillBadge*>(badges_->itemAt(i)->widget())) texts.append(badge->text());
    }
    texts.append(text_->text());
    for (const auto& [label, value] : rows_) texts.append(label->text() + QStringLiteral(": ") + value->fullText());
    return texts;
}

}  // namespace quillo
