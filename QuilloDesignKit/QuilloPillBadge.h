#pragma once

#include <QColor>
#include <QWidget>

namespace quillo {

enum class QuilloPillBadgeStyle { soft, solid };

// Upper-case bold 12 text on a capsule: `soft` is the tint at 0.18 under tinted text, `solid` the
// tint under white text.
class QuilloPillBadge : public QWidget {
    Q_OBJECT
public:
    QuilloPillBadge(const QString& text, const QColor& tint, QuilloPillBadgeStyle style, QWidget* parent = nullptr);

    QString text() const { return text_; }
    QString shownText() const { return text_.toUpper(); }
    QColor fillColor() const;
    QColor textColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor tint_;
    QuilloPillBadgeStyle style_;
};

}  // namespace quillo
