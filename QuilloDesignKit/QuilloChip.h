#pragma once

#include "QuilloDesignKit/QuilloChipStyle.h"

#include <QAbstractButton>

#include <functional>

namespace quillo {

struct QuilloChipOptions {
    QString icon{};  // a symbol name; empty for none
    bool isSelected = false;
    QColor tint{};
    QuilloChipStyle style = QuilloChipStyle::standard();
    QuilloChipSize size = QuilloChipSize::compact;
    bool isDisabled = false;
};

// A small rounded toggle: symbol, label and an optional trailing widget in a row (spacing 4) on
// the chip chrome. Its owner decides selection: a click calls the action (and emits clicked) and
// leaves the selection to the owner. It is a checkable button named by its label for assistive
// technology, checked while selected.
class QuilloChip : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool isSelected READ isSelected WRITE setSelected NOTIFY selectedChanged)
public:
    // `trailing` (may be null) becomes the chip's child.
    QuilloChip(const QString& label, const QuilloChipOptions& options, QWidget* trailing = nullptr,
               std::function<void()> action = {}, QWidget* parent = nullptr);

    QString label() const { return text(); }
    const QuilloChipOptions& options() const { return options_; }
    bool isSelected() const { return options_.isSelected; }
    void setSelected(bool selected);
    void setTint(const QColor& tint);
    void setChipStyle(const QuilloChipStyle& style);
    void setDisabled(bool disabled);

    QColor foreground() const;
    QuilloChipChrome chrome() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void selectedChanged(bool selected);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void nextCheckState() override {}
    bool hitButton(const QPoint& pos) const override;

private:
    QFont labelFont() const;
    void relayout();

    QuilloChipOptions options_;
    QWidget* trailing_;
    std::function<void()> action_;
};

}  // namespace quillo
