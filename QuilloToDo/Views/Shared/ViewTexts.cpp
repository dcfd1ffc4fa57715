#include "QuilloToDo/Views/Shared/ViewTexts.h"

#include "Platform/QtBridge/QtText.h"

#include <QLocale>

namespace quillo {
namespace {

const QString kEnDash = QStringLiteral("\u2013");

}  // namespace

QString markerCountText(qint64 count) {
    return QString::number(count) + (count == 1 ? QStringLiteral(" marker") : QStringLiteral(" markers"));
}

QString connectedExtensionsText(qint64 count) { return QString::number(count) + QStringLiteral(" connected"); }

QString pollingNamesText(qint64 count) {
    return QStringLiteral("polling ") + QString::number(count) +
           (count == 1 ? QStringLiteral(" name") : QStringLiteral(" names"));
}

QString lastScanText(const std::optional<QDateTime>& date) {
    if (!date) return kEnDash;
    return QLocale().toString(date->toLocalTime().time(), QLocale::ShortFormat);
}

QString detailValueText(const std::optional<std::string>& value) {
    return value ? platform::toQString(std::string_view(*value)) : kEnDash;
}

}  // namespace quillo
