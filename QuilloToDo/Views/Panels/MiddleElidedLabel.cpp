#include "QuilloToDo/Views/Panels/MiddleElidedLabel.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>

namespace quillo {
namespace {

const QChar kEllipsis(0x2026);

QStringList wrappedLines(const QString& text, const QFont& font, qreal width, int stopAfter) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
        if (lines.size() > stopAfter) break;
    }
    layout.endLayout();
    return lines;
}

// Moves an index off the low half of a surrogate pair, so that no character is cut in two.
qsizetype characterBoundary(const QString& text, qsizetype index) {
    if (index > 0 && index < text.size() && text.at(index).isLowSurrogate()) return index - 1;
    return index;
}

}  // namespace

QStringList middleElidedLines(const QString& text, const QFont& font, qreal width, int maxLines) {
    if (text.isEmpty() || maxLines < 1) return {};
    QStringList lines = wrappedLines(text, font, width, maxLines);
    if (lines.size() <= maxLines) return lines;

    // The longest cut that fits: keep `kept` characters, half from the start and half from the end.
    const auto cut = [&](qsizetype kept) {
        const qsizetype head = characterBoundary(text, (kept + 1) / 2);
        const qsizetype tail = characterBoundary(text, text.size() - kept / 2);
        return text.left(head) + kEllipsis + text.mid(tail);
    };
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (wrappedLines(cut(middle), font, width, maxLines).size() <= maxLines) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return wrappedLines(cut(low), font, width, maxLines).mid(0, maxLines);
}

MiddleElidedLabel::MiddleElidedLabel(int maxLines, QWidget* parent) : QLabel(parent), maxLines_(maxLines) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void MiddleElidedLabel::setFullText(const QString& text) {
    if (text == fullText_) return;
    fullText_ = text;
    heightAtWidth_.clear();
    setAccessibleName(text);
    recut();
}

QSize MiddleElidedLabel::sizeHint() const {
    return {QFontMetricsF(font()).horizontalAdvance(fullText_) > 0 ? 1 : 0, heightForWidth(width())};
}

QSize MiddleElidedLabel::minimumSizeHint() const { return {0, QFontMetrics(font()).height()}; }

int MiddleElidedLabel::heightForWidth(int width) const {
    if (const auto found = heightAtWidth_.constFind(width); found != heightAtWidth_.cend()) return *found;
    const qsizetype lines = std::max<qsizetype>(1, middleElidedLines(fullText_, font(), width, maxLines_).size());
    const int height = static_cast<int>(lines) * QFontMetrics(font()).lineSpacing();
    heightAtWidth_.insert(width, height);
    return height;
}

void MiddleElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    recut();
}

void MiddleElidedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        heightAtWidth_.clear();
        recut();
    }
}

void MiddleElidedLabel::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void MiddleElidedLabel::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Copy"), this, &MiddleElidedLabel::copySelection);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(hasSelectedText());
    menu.addAction(QStringLiteral("Select All"), this, [this] { setSelection(0, int(text().size())); });
    menu.exec(event->globalPos());
}

// Part of a cut text is no value of its own: the whole value is copied.
void MiddleElidedLabel::copySelection() const {
    if (!hasSelectedText()) return;
    QGuiApplication::clipboard()->setText(text() == fullText_ ? selectedText() : fullText_);
}

void MiddleElidedLabel::recut() {
    const QString shown = middleElidedLines(fullText_, font(), std::max(1, width()), maxLines_).join(QLatin1Char('\n'));
    if (shown == text()) return;
    setText(shown);
    updateGeometry();
}

}  // namespace quillo
