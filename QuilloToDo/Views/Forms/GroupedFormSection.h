#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace quillo {

// One section of a grouped form: an optional title above a rounded card whose rows are divided by
// hairlines. Rows can be shown and hidden; the hairlines follow the visible ones.
class GroupedFormSection : public QWidget {
    Q_OBJECT
public:
    explicit GroupedFormSection(const QString& title = QString(), QWidget* parent = nullptr);

    // Adds `content` as a full-width row and returns the row (hide it to hide the row).
    QWidget* addRow(QWidget* content);
    // Adds a row with `label` at the leading edge and `content` at the trailing edge.
    QWidget* addLabeledRow(const QString& label, QWidget* content);
    // A caption under the previous row, inside the card, word-wrapped, in the caption style
    // (`micro`: the smaller one).
    QLabel* addCaption(const QString& text, bool micro = false);

private:
    QWidget* card_;
    QVBoxLayout* rows_;
};

}  // namespace quillo
