#pragma once

#include "QuilloToDoKit/QuilloToDoModel/MarkerKind.h"

#include <QWidget>

#include <set>

class QHBoxLayout;

namespace quillo {

class FilterChipRow;
class QuilloChip;
class QuilloSectionHeader;

// "Marker Type": one chip per kind (Standard, To-Do, Chapter), selected while the kind is in the
// edited set, followed by trailing content (the window's search bar and toolbar).
class MarkerTypeFilterView : public QWidget {
    Q_OBJECT

public:
    // `trailing` (may be null) becomes a child of the view.
    explicit MarkerTypeFilterView(QWidget* trailing = nullptr, QWidget* parent = nullptr);

    const std::set<MarkerKind>& selectedKinds() const noexcept { return selectedKinds_; }
    // Shows the bound set; emits nothing.
    void setSelectedKinds(const std::set<MarkerKind>& kinds);
    // Removes the kind from the bound set when it is in it, else inserts it, and reports the set.
    void toggle(MarkerKind kind);

    // The leading inset of the section header, in points (the window's buttons lie over it while
    // the sidebar is collapsed).
    void setHeaderLeadingInset(int inset);
    int headerLeadingInset() const;

    FilterChipRow* chipRow() const noexcept { return chips_; }
    QuilloSectionHeader* header() const noexcept { return header_; }

signals:
    void selectedKindsEdited(const std::set<quillo::MarkerKind>& kinds);

private:
    std::set<MarkerKind> selectedKinds_;
    QuilloSectionHeader* header_;
    QHBoxLayout* headerRow_;
    FilterChipRow* chips_;
};

}  // namespace quillo
