#include "QuilloToDoFCPExtension/ExtensionPanelText.h"

#include "Platform/QtBridge/QtText.h"

#include <string_view>

namespace quillo::extensionpaneltext {

QString status(std::size_t itemCount) {
    if (itemCount == 0) return QStringLiteral("Waiting for QuilloToDo…");
    return QString::number(itemCount) + (itemCount == 1 ? QStringLiteral(" marker") : QStringLiteral(" markers"));
}

QString cell(const TodoItem& item) {
    QString text;
    if (item.assigneeName) text = platform::toQString(std::string_view(*item.assigneeName)) + QStringLiteral(": ");
    return text + platform::toQString(std::string_view(item.text)) + QStringLiteral("  [") +
           platform::toQString(std::string_view(item.timelineTimecode)) + QLatin1Char(']');
}

}  // namespace quillo::extensionpaneltext
