#include "QuilloToDo/Views/LibraryCardRow.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloToDo/Controllers/WatchedLibrary.h"

#include <QPainter>
#include <QTimer>

#include <cmath>

namespace quillo {

namespace {
constexpr double horizontalPadding = 8;
constexpr double verticalPadding = 6;
constexpr double spacing = 8;
constexpr double tileSide = 24;
constexpr double statusSide = 11;     // the caption-2 text style
constexpr double spinnerSide = 16 * 0.4;  // a small indicator scaled to 0.4
constexpr int spinnerSteps = 12;
}  // namespace

LibraryCardRow::LibraryCardRow(WatchedLibrary& library, QWidget* parent)
    : QWidget(parent),
      library_(&library),
      removeButton_(new QuilloSymbolButton(QStringLiteral("xmark.circle.fill"), 12, QFont::Normal,
                                           Color::quilloTextTertiary(), QStringLiteral("Remove library"),
                                           QuilloEdge::bottom, this)),
      spinner_(new QTimer(this)) {
    setAttribute(Qt::WA_Hover);
    setFont(quilloFont(13, QuilloFontWeight::medium));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(library.name());
    removeButton_->hide();
    connect(removeButton_, &QAbstractButton::clicked, this, &LibraryCardRow::removeRequested);

    spinner_->setInterval(80);
    connect(spinner_, &QTimer::timeout, this, [this] {
        spinnerStep_ = (spinnerStep_ + 1) % spinnerSteps;
        update(statusRect().toAlignedRect());
    });
    connect(&library, &WatchedLibrary::isLoadedChanged, this, &LibraryCardRow::followLoadState);
    connect(&library, &WatchedLibrary::errorMessageChanged, this, &LibraryCardRow::followLoadState);
    followLoadState();
}

QSize LibraryCardRow::sizeHint() const {
    const int height = int(verticalPadding * 2 + tileSide);
    return {int(QFontMetricsF(font()).horizontalAdvance(library_ ? library_->name() : QString()) + 100), height};
}

QSize LibraryCardRow::minimumSizeHint() const { return {int(tileSide + horizontalPadding * 2), sizeHint().height()}; }

void LibraryCardRow::enterEvent(QEnterEvent*) { setHovering(true); }
void LibraryCardRow::leaveEvent(QEvent*) { setHovering(false); }

void LibraryCardRow::setHovering(bool hovering) {
    if (hovering == isHovering_) return;
    isHovering_ = hovering;
    removeButton_->setVisible(hovering);
    update();
}

void LibraryCardRow::resizeEvent(QResizeEvent*) {
    const QSize button = removeButton_->sizeHint();
    removeButton_->setGeometry(int(width() - horizontalPadding - button.width()), (height() - button.height()) / 2,
                               button.width(), button.height());
}

void LibraryCardRow::followLoadState() {
    const bool loading = library_ && !library_->isLoaded() && !library_->errorMessage();
    if (loading && !spinner_->isActive()) spinner_->start();
    if (!loading) spinner_->stop();
    update();
}

// Left of the remove button while it shows.
QRectF LibraryCardRow::statusRect() const {
    double right = width() - horizontalPadding;
    if (isHovering_) right -= removeButton_->sizeHint().width() + spacing;
    return {right - statusSide, (height() - statusSide) / 2, statusSide, statusSide};
}

void LibraryCardRow::paintEvent(QPaintEvent*) {
    if (!library_) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    if (isHovering_) QuilloPainting::fillRoundedRect(painter, bounds, 10, Color::quilloHover());

    const QRectF tile(horizontalPadding, (height() - tileSide) / 2, tileSide, tileSide);
    QuilloPainting::fillRoundedRect(painter, tile, 8, Color::withOpacity(Color::orange(), 0.2));
    QuilloSymbol::paint(painter, QRectF(tile.center().x() - 6, tile.center().y() - 6, 12, 12), QStringLiteral("folder.fill"),
                        Color::orange(), QFont::Medium);

    const QRectF status = statusRect();
    const double nameLeft = tile.right() + spacing;
    const double nameWidth = std::max(0.0, status.left() - spacing - nameLeft);
    painter.setFont(font());
    painter.setPen(Qt::white);
    const QString name = QFontMetricsF(font()).elidedText(library_->name(), Qt::ElideMiddle, nameWidth);
    painter.drawText(QRectF(nameLeft, 0, nameWidth, height()), Qt::AlignVCenter | Qt::AlignLeft, name);

    if (library_->isLoaded()) {
        QuilloSymbol::paint(painter, status, QStringLiteral("checkmark.circle.fill"), Color::green());
    } else if (!library_->errorMessage()) {
        // An indeterminate spinner: twelve spokes, the brightest turning.
        painter.save();
        painter.translate(status.center());
        for (int spoke = 0; spoke < spinnerSteps; ++spoke) {
            const int age = (spinnerSteps + spinnerStep_ - spoke) % spinnerSteps;
            painter.setPen(QPen(Color::withOpacity(Qt::white, 0.9 - 0.06 * age), 0.9, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(0, -spinnerSide * 0.25), QPointF(0, -spinnerSide * 0.5));
            painter.rotate(360.0 / spinnerSteps);
        }
        painter.restore();
    } else {
        QuilloSymbol::paint(painter, status, QStringLiteral("exclamationmark.triangle.fill"), Color::red());
    }
}

}  // namespace quillo
