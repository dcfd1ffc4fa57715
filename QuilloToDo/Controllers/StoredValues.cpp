#include "QuilloToDo/Controllers/StoredValues.h"

#include <QSettings>
#include <QVariant>

namespace quillo::StoredValues {

void writeTextList(QSettings& settings, const QString& key, const QStringList& texts) {
    QVariantList list;
    list.reserve(texts.size());
    for (const auto& text : texts) list.append(text);
    settings.setValue(key, list);
}

std::optional<QStringList> readTextList(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList();
    if (value.typeId() != QMetaType::QVariantList) return std::nullopt;
    QStringList texts;
    for (const auto& element : value.toList()) {
        if (element.typeId() != QMetaType::QString) return std::nullopt;
        texts.append(element.toString());
    }
    return texts;
}

void writeDataMap(QSettings& settings, const QString& key, const QMap<QString, QByteArray>& map) {
    QVariantMap values;
    for (auto entry = map.begin(); entry != map.end(); ++entry) values.insert(entry.key(), entry.value());
    settings.setValue(key, values);
}

std::optional<QMap<QString, QByteArray>> readDataMap(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (value.typeId() != QMetaType::QVariantMap) return std::nullopt;
    const QVariantMap values = value.toMap();
    QMap<QString, QByteArray> map;
    for (auto entry = values.begin(); entry != values.end(); ++entry) {
        if (entry.value().typeId() != QMetaType::QByteArray) return std::nullopt;
        map.insert(entry.key(), entry.value().toByteArray());
    }
    return map;
}

}  // namespace quillo::StoredValues
