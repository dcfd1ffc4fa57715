#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

class QSettings;

// Typed access to the user defaults (one INI-format QSettings). Qt's INI format reads a list back as
// a string when it has one element unless the list is written as a QVariantList; these helpers write
// every list that way and read only what has the expected shape.
namespace quillo::StoredValues {

void writeTextList(QSettings& settings, const QString& key, const QStringList& texts);
// Nothing when the key is missing or holds anything but a list of texts.
std::optional<QStringList> readTextList(const QSettings& settings, const QString& key);

void writeDataMap(QSettings& settings, const QString& key, const QMap<QString, QByteArray>& map);
// Nothing when the key is missing or holds anything but a map from text to bytes.
std::optional<QMap<QString, QByteArray>> readDataMap(const QSettings& settings, const QString& key);

}  // namespace quillo::StoredValues
