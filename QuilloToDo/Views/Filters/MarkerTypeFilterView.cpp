#include "QuilloToDo/Views/Filters/MarkerTypeFilterView.h"

#include "QuilloToDo/Views/Filters/FilterChipRow.h"
#include "QuilloToDo/Views/Filters/FilterToggle.h"

#include "QuilloDesignKit/QuilloChip.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"

#include "Platform/QtBridge/QtText.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quillo {
namespace {

struct KindChip {
    const char* symbol;
    const QColor& (*color)();
};

KindChip kindChip(MarkerKind kind) {
    switch (kind) {
    case MarkerKind::standard: return {"mappin.circle.fill", &Color::blue};
    case MarkerKind::todo: return {"checkmark.circle", &Color::quilloAccent};
    case MarkerKind::chapter: return {"bookmark.fill", &Color::orange};
    }
    return {"", &Color::quilloAccent};
}

}  // namespace

MarkerTypeFilterView::MarkerTypeFilterView(QWidget* trailing, QWidget* parent)
    : QWidget(parent),
      header_(new QuilloSectionHeader(QStringLiteral("Marker Type"), this)),
      headerRow_(new QHBoxLayout),
      chips_(new FilterChipRow(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    headerRow_->setContentsMargins(0, 0, 0, 0);
    headerRow_->addWidget(header_);
    layout->addLayout(headerRow_);

    QList<QWidget*> chips;
    for (MarkerKind kind : kAllMarkerKinds) {
        const KindChip look = kindChip(kind);
        QuilloChipOptions options{.icon = QString::fromLatin1(look.symbol),
                                  .isSelected = false,
                                  .tint = Color::quilloAccent(),
                                  .style = QuilloChipStyle::colored(look.color()),
                                  .size = QuilloChipSize::compact,
                                  .isDisabled = false};
        chips.append(
            new QuilloChip(platform::toQString(displayName(kind)), options, nullptr, [this, kind] { toggle(kind); }));
    }
    chips_->setChips(chips);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    row->addWidget(chips_, 1, Qt::AlignVCenter);
    if (trailing) row->addWidget(trailing, 0, Qt::AlignVCenter);
    layout->addLayout(row);
}

void MarkerTypeFilterView::setSelectedKinds(const std::set<MarkerKind>& kinds) {
    selectedKinds_ = kinds;
    const QList<QWidget*> chips = chips_->chips();
    for (std::size_t i = 0; i < kAllMarkerKinds.size(); ++i) {
        static_cast<QuilloChip*>(chips[static_cast<qsizetype>(i)])->setSelected(kinds.contains(kAllMarkerKinds[i]));
    }
}

void MarkerTypeFilterView::toggle(MarkerKind kind) {
    const std::set<MarkerKind> kinds = toggled(selectedKinds_, kind);
    setSelectedKinds(kinds);
    emit selectedKindsEdited(kinds);
}

void MarkerTypeFilterView::setHeaderLeadingInset(int inset) { headerRow_->setContentsMargins(inset, 0, 0, 0); }

int MarkerTypeFilterView::headerLeadingInset() const { return headerRow_->contentsMargins().left(); }

}  // namespace quillo
