#pragma once

#include "QuilloToDo/Views/Forms/GroupedFormSection.h"

#include <QPointer>
#include <QScrollArea>

class QVBoxLayout;

namespace quillo {

// A vertically scrolling form of grouped sections, top to bottom, as the sheets and the settings
// window lay out their controls.
class GroupedForm : public QScrollArea {
    Q_OBJECT
public:
    explicit GroupedForm(QWidget* parent = nullptr);

    GroupedFormSection* addSection(const QString& title = QString());
    // Scrolls `widget` into view once the layout has placed it (a section just shown has no
    // geometry yet).
    void revealLater(QWidget* widget);

private:
    QVBoxLayout* sections_;
};

}  // namespace quillo
