#include "QuilloToDo/Services/ReminderTexts.h"

#include "QuilloToDo/Services/LocaleDateText.h"

#include "Platform/QtBridge/QtText.h"

#include <QStringList>

#include <set>

namespace quillo::ReminderTexts {

namespace {

bool isPresent(const std::optional<std::string>& text) { return text && !text->empty(); }

// The one distinct value of `field` over the items, when there is exactly one and it is not empty.
template <class Field>
std::optional<std::string> onlyValue(const std::vector<TodoItem>& items, Field field) {
    std::set<std::string> values;
    for (const auto& item : items) values.insert(item.*field);
    if (values.size() != 1 || values.begin()->empty()) return std::nullopt;
    return *values.begin();
}

}  // namespace

QString reminderTitle(const TodoItem& item) {
    if (isPresent(item.assigneeName))
        return platform::toQString(std::string_view(*item.assigneeName + ": " + item.text));
    return platform::toQString(std::string_view(item.text));
}

QString reminderNotes(const TodoItem& item) {
    QStringList lines;
    lines << platform::toQString(std::string_view(item.libraryName + " › " + item.eventName + " › " +
                                                  item.timelineName + " @ " + item.timelineTimecode));
    if (isPresent(item.roleName))
        lines << QStringLiteral("Role: ") + platform::toQString(std::string_view(*item.roleName));
    if (isPresent(item.chapterNote)) lines << platform::toQString(std::string_view(*item.chapterNote));
    lines << QStringLiteral("From QuilloToDo (") + platform::toQString(std::string_view(displayName(item.kind))) +
                 QStringLiteral(")");
    return lines.join(QChar(u'\n'));
}

QString suggestedListTitle(const std::vector<TodoItem>& items, const QDate& today) {
    // Distinct as stored: two spellings of one name are two names here.
    if (const auto timeline = onlyValue(items, &TodoItem::timelineName)) {
        return platform::toQString(std::string_view(*timeline)) + QStringLiteral(" – To-Dos");
    }
    if (const auto library = onlyValue(items, &TodoItem::libraryName)) {
        return platform::toQString(std::string_view(*library)) + QStringLiteral(" – To-Dos");
    }
    return QStringLiteral("QuilloToDo – ") + LocaleDateText::abbreviatedDate(today.startOfDay());
}

}  // namespace quillo::ReminderTexts
