#pragma once

#include <QLabel>

namespace quillo {

// A section title: system font 13, medium, in the secondary text colour.
class QuilloSectionHeader : public QLabel {
    Q_OBJECT
public:
    explicit QuilloSectionHeader(const QString& title, QWidget* parent = nullptr);
};

// Gives any widget the section-header font and text colour.
void quilloSectionHeader(QWidget* widget);

}  // namespace quillo
