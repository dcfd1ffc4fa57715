#pragma once

#include <QWidget>

class QLabel;

namespace quillo {

class GroupedForm;
class GroupedFormSection;
class QuilloSymbolView;

// A sheet's result line: a green check when it reports success, else an orange exclamation mark,
// followed by the text in the callout font; the text can be selected and copied. It sits in a section
// of its own at the end of its form, shown only while there is a text and then scrolled into view.
// Assistive technology reads it as an alert named by the text.
class SheetStatusLine : public QWidget {
    Q_OBJECT
public:
    explicit SheetStatusLine(GroupedForm& form);

    void setStatus(const QString& text, bool ok);
    QString text() const;
    bool isOK() const { return ok_; }

private:
    GroupedForm& form_;
    GroupedFormSection* section_;
    QuilloSymbolView* symbol_;
    QLabel* text_;
    bool ok_ = false;
};

}  // namespace quillo
