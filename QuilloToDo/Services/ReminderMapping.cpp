#include "QuilloToDo/Services/ReminderMapping.h"

#include "Platform/QtBridge/QtText.h"

#include <QVariantMap>

namespace quillo::ReminderMappingStore {

ReminderMapping load(const QSettings& defaults) {
    const QVariant stored = defaults.value(QString::fromLatin1(kKey));
    if (stored.typeId() != QMetaType::QVariantMap) return {};
    const QVariantMap dictionary = stored.toMap();
    for (const QVariant& value : dictionary) {
        if (value.typeId() != QMetaType::QString) return {};
    }
    ReminderMapping mapping;
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        const auto id = platform::UUID::parse(platform::toStdString(it.key()));
        if (id) mapping[*id] = platform::toStdString(it.value().toString());
    }
    return mapping;
}

void save(QSettings& defaults, const ReminderMapping& mapping) {
    QVariantMap dictionary;
    for (const auto& [id, identifier] : mapping) {
        dictionary.insert(platform::toQString(std::string_view(id.uuidString())),
                          platform::toQString(std::string_view(identifier)));
    }
    defaults.setValue(QString::fromLatin1(kKey), dictionary);
}

}  // namespace quillo::ReminderMappingStore
