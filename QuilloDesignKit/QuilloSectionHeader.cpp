#include "QuilloDesignKit/QuilloSectionHeader.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"

namespace quillo {

QuilloSectionHeader::QuilloSectionHeader(const QString& title, QWidget* parent) : QLabel(title, parent) {
    quilloSectionHeader(this);
}

void quilloSectionHeader(QWidget* widget) {
    QuilloTextStyle{systemFont(13, QFont::Medium), Color::quilloTextSecondary()}.applyTo(widget);
}

}  // namespace quillo
