#include "Platform/Updater/UpdateDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

QStyle::StandardPixmap standardPixmap(QMessageBox::Icon icon) {
    switch (icon) {
    case QMessageBox::Warning: return QStyle::SP_MessageBoxWarning;
    case QMessageBox::Critical: return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Question: return QStyle::SP_MessageBoxQuestion;
    default: return QStyle::SP_MessageBoxInformation;
    }
}

}  // namespace

UpdateDialog::UpdateDialog(const QString& headline, const QString& message, QMessageBox::Icon icon, const QUrl& link,
                           QWidget* parent)
    : QDialog(parent), headline_(new QLabel(headline)), message_(new QTextEdit) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Software Update"));

    // As selectable as the platform's message boxes are; nothing in either text is a link.
    const auto selectable =
        Qt::TextInteractionFlags(style()->styleHint(QStyle::SH_MessageBox_TextInteractionFlags, nullptr, this)) &
        (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* iconLabel = new QLabel;
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    iconLabel->setPixmap(style()->standardIcon(standardPixmap(icon), nullptr, this).pixmap(iconSize, iconSize));

    headline_->setTextFormat(Qt::PlainText);
    headline_->setWordWrap(true);
    headline_->setTextInteractionFlags(selectable);

    // A QLabel breaks lines only between words: a long word would run out of the dialog.
    message_->setAcceptRichText(false);
    message_->setPlainText(message);
    message_->setReadOnly(true);
    message_->setTextInteractionFlags(selectable);
    message_->setFocusPolicy(selectable ? Qt::ClickFocus : Qt::NoFocus);
    message_->setAccessibleName(message);
    message_->setFrameShape(QFrame::NoFrame);
    message_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    message_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    message_->document()->setDocumentMargin(0);
    QPalette palette = message_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    message_->setPalette(palette);
    // Its own width up to kMessageWidth, and as many lines as that takes.
    QTextDocument* document = message_->document();
    document->setTextWidth(-1);
    const int width = std::min(kMessageWidth, static_cast<int>(std::ceil(document->idealWidth())) + 1);
    document->setTextWidth(width);
    const int height = static_cast<int>(std::ceil(document->size().height()));
    message_->setFixedSize(width, std::min(height, kMaximumMessageHeight));

    auto* buttons = new QDialogButtonBox;
    if (!link.isEmpty()) {
        defaultButton_ = buttons->addButton(QStringLiteral("Open Download Page"), QDialogButtonBox::AcceptRole);
        connect(defaultButton_, &QPushButton::clicked, this, [link] { QDesktopServices::openUrl(link); });
        buttons->addButton(QDialogButtonBox::Close);
    } else {
        defaultButton_ = buttons->addButton(QDialogButtonBox::Ok);
    }
    defaultButton_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* texts = new QVBoxLayout;
    texts->addWidget(headline_);
    texts->addWidget(message_);
    texts->addStretch(1);
    auto* body = new QHBoxLayout;
    body->setSpacing(16);
    body->addWidget(iconLabel, 0, Qt::AlignTop);
    body->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(body);
    layout->addWidget(buttons);
    defaultButton_->setFocus();
}

QString UpdateDialog::headline() const { return headline_->text(); }

QString UpdateDialog::message() const { return message_->toPlainText(); }

}  // namespace platform
