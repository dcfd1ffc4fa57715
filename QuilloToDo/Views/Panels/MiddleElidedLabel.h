#pragma once

#include <QHash>
#include <QLabel>
#include <QStringList>

namespace quillo {

// The lines `text` takes when wrapped at `width` in `font`, at most `maxLines` of them: a text that
// needs more is cut in the middle, keeping as much of its start and end as fits around an ellipsis.
QStringList middleElidedLines(const QString& text, const QFont& font, qreal width, int maxLines);

// A selectable label that wraps its text to at most `maxLines` lines and cuts a longer text in the
// middle (Qt elides single lines only). It re-cuts the text whenever its width changes. Copying
// from a cut text (Ctrl+C or the context menu's Copy) copies the whole text.
class MiddleElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit MiddleElidedLabel(int maxLines, QWidget* parent = nullptr);

    QString fullText() const { return fullText_; }
    void setFullText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void recut();
    void copySelection() const;

    int maxLines_;
    QString fullText_;
    // Layouts ask for the height at a few widths, again and again: each costs a text layout.
    mutable QHash<int, int> heightAtWidth_;
};

}  // namespace quillo
