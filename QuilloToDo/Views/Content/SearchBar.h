#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace quillo {

// The search field above the to-do list: a magnifying glass, the text field and, while there is text,
// a button that empties it. Every keystroke reports the whole text at once; Return does nothing more.
class SearchBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)

public:
    explicit SearchBar(QWidget* parent = nullptr);

    QString text() const;
    // Shows a text set from elsewhere (the filter); notifies only when it differs.
    void setText(const QString& text);

    QLineEdit* field() const noexcept { return field_; }
    QToolButton* clearButton() const noexcept { return clear_; }

signals:
    void textChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* field_;
    QToolButton* clear_;
};

}  // namespace quillo
