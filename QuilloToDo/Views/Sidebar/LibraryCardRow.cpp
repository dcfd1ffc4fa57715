#include "QuilloToDo/Views/Sidebar/LibraryCardRow.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloToDo/Controllers/WatchedLibrary.h"
#include "QuilloToDo/Views/Shared/BusyIndicator.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double kHorizontalPadding = 8;
constexpr double kVerticalPadding = 6;
constexpr double kSpacing = 8;
constexpr double kTileSide = 24;
constexpr double kStatusSide = 11;         // the caption-2 text style
constexpr double kSpinnerSide = 16 * 0.4;  // a small indicator scaled to 0.4
}  // namespace

LibraryCardRow::LibraryCardRow(WatchedLibrary& library, QWidget* parent)
    : QWidget(parent),
      library_(&library),
      removeButton_(new QuilloSymbolButton(QStringLiteral("xmark.circle.fill"), 12, QFont::Normal,
                                           Color::quilloTextTertiary(), QStringLiteral("Remove library"),
                                           QuilloEdge::bottom, this)),
      busy_(new BusyIndicator(kSpinnerSide, this)) {
    setAttribute(Qt::WA_Hover);
    setFont(quilloFont(13, QuilloFontWeight::medium));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(library.name());
    removeButton_->hide();
    connect(removeButton_, &QAbstractButton::clicked, this, &LibraryCardRow::removeRequested);

    busy_->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&library, &WatchedLibrary::isLoadedChanged, this, &LibraryCardRow::followLoadState);
    connect(&library, &WatchedLibrary::errorMessageChanged, this, &LibraryCardRow::followLoadState);
    followLoadState();
}

bool LibraryCardRow::showsProgress() const { return busy_->isVisibleTo(this); }

QSize LibraryCardRow::sizeHint() const {
    const int height = int(kVerticalPadding * 2 + kTileSide);
    return {int(QFontMetricsF(font()).horizontalAdvance(library_ ? library_->name() : QString()) + 100), height};
}

QSize LibraryCardRow::minimumSizeHint() const { return {int(kTileSide + kHorizontalPadding * 2), sizeHint().height()}; }

void LibraryCardRow::enterEvent(QEnterEvent*) { setHovering(true); }
void LibraryCardRow::leaveEvent(QEvent*) { setHovering(false); }

void LibraryCardRow::setHovering(bool hovering) {
    if (hovering == isHovering_) return;
    isHovering_ = hovering;
    removeButton_->setVisible(hovering);
    placeStatus();
    update();
}

void LibraryCardRow::resizeEvent(QResizeEvent*) {
    const QSize button = removeButton_->sizeHint();
    removeButton_->setGeometry(int(width() - kHorizontalPadding - button.width()), (height() - button.height()) / 2,
                               button.width(), button.height());
    placeStatus();
}

void LibraryCardRow::placeStatus() {
    const QPointF centre = statusRect().center();
    busy_->setGeometry(int(centre.x() - kSpinnerSide / 2), int(centre.y() - kSpinnerSide / 2),
                       int(std::ceil(kSpinnerSide)), int(std::ceil(kSpinnerSide)));
}

void LibraryCardRow::followLoadState() {
    busy_->setVisible(library_ && !library_->isLoaded() && !library_->errorMessage());
    update();
}

// Left of the remove button while it shows.
QRectF LibraryCardRow::statusRect() const {
    double right = width() - kHorizontalPadding;
    if (isHovering_) right -= removeButton_->sizeHint().width() + kSpacing;
    return {right - kStatusSide, (height() - kStatusSide) / 2, kStatusSide, kStatusSide};
}

void LibraryCardRow::paintEvent(QPaintEvent*) {
    if (!library_) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    if (isHovering_) QuilloPainting::fillRoundedRect(painter, bounds, 10, Color::quilloHover());

    const QRectF tile(kHorizontalPadding, (height() - kTileSide) / 2, kTileSide, kTileSide);
    QuilloPainting::fillRoundedRect(painter, tile, 8, Color::withOpacity(Color::orange(), 0.2));
    QuilloSymbol::paint(painter, QRectF(tile.center().x() - 6, tile.center().y() - 6, 12, 12),
                        QStringLiteral("folder.fill"), Color::orange(), QFont::Medium);

    const QRectF status = statusRect();
    const double nameLeft = tile.right() + kSpacing;
    const double nameWidth = std::max(0.0, status.left() - kSpacing - nameLeft);
    painter.setFont(font());
    painter.setPen(Qt::white);
    const QString name = QFontMetricsF(font()).elidedText(library_->name(), Qt::ElideMiddle, nameWidth);
    painter.drawText(QRectF(nameLeft, 0, nameWidth, height()), Qt::AlignVCenter | Qt::AlignLeft, name);

    if (library_->isLoaded()) {
        QuilloSymbol::paint(painter, status, QStringLiteral("checkmark.circle.fill"), Color::green());
    } else if (library_->errorMessage()) {
        QuilloSymbol::paint(painter, status, QStringLiteral("exclamationmark.triangle.fill"), Color::red());
    }
}

}  // namespace quillo
