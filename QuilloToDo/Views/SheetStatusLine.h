#pragma once

#include <QWidget>

class QLabel;

namespace quillo {

class QuilloSymbolView;

// A sheet's result line: a green check when it reports success, else an orange exclamation mark,
// followed by the text in the callout font; the text can be selected and copied.
class SheetStatusLine : public QWidget {
    Q_OBJECT
public:
    explicit SheetStatusLine(QWidget* parent = nullptr);

    void setStatus(const QString& text, bool ok);
    QString text() const;
    bool isOK() const { return ok_; }

private:
    QuilloSymbolView* symbol_;
    QLabel* text_;
    bool ok_ = false;
};

}  // namespace quillo
