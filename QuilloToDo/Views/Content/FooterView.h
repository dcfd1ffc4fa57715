#pragma once

#include <QWidget>

class QLabel;

namespace quillo {

// The line under the to-do list with the number of shown to-dos ("12 markers").
class FooterView : public QWidget {
    Q_OBJECT

public:
    explicit FooterView(QWidget* parent = nullptr);

    qint64 itemCount() const noexcept { return itemCount_; }
    void setItemCount(qint64 count);
    QString text() const;

private:
    qint64 itemCount_ = -1;
    QLabel* label_;
};

}  // namespace quillo
