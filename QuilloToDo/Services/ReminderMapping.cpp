#include "QuilloToDo/Services/ReminderMapping.h"

#include "QuilloToDo/Services/AtomicFileWriter.h"

#include "Platform/QtBridge/QtText.h"
#include "Platform/SystemLog/SystemLog.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QVariantMap>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

namespace quillo::ReminderMappingFile {

namespace {

QString describedFile(const QString& path) { return QStringLiteral("The record of exported reminders ") + path; }

// The file's bytes; nothing when there is no such file.
std::optional<QByteArray> readWhole(const QString& path) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0 && (errno == ENOENT || errno == ENOTDIR)) return std::nullopt;
    int error = errno;
    QByteArray bytes;
    if (descriptor >= 0) {
        std::array<char, 65536> chunk;
        for (;;) {
            const ssize_t got = ::read(descriptor, chunk.data(), chunk.size());
            if (got < 0 && errno == EINTR) continue;
            error = got < 0 ? errno : 0;
            if (got <= 0) break;
            bytes.append(chunk.data(), got);
        }
        ::close(descriptor);
    }
    if (descriptor < 0 || error != 0) {
        throw ReminderMappingError(platform::toStdString(describedFile(path) + QStringLiteral(" could not be read: ") +
                                                         QString::fromLocal8Bit(std::strerror(error)) + '.'));
    }
    return bytes;
}

ReminderMapping fromDictionary(const QVariantMap& dictionary) {
    ReminderMapping mapping;
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        const auto id = platform::UUID::parse(platform::toStdString(it.key()));
        if (id) mapping[*id] = platform::toStdString(it.value().toString());
    }
    return mapping;
}

// The mapping under the old settings key, read as it was read there: anything but a dictionary of
// texts is no mapping.
ReminderMapping fromSettings(const QSettings& settings) {
    const QVariant stored = settings.value(QString::fromLatin1(kSettingsKey));
    if (stored.typeId() != QMetaType::QVariantMap) return {};
    const QVariantMap dictionary = stored.toMap();
    for (const QVariant& value : dictionary) {
        if (value.typeId() != QMetaType::QString) return {};
    }
    return fromDictionary(dictionary);
}

}  // namespace

QString defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/QuilloToDo/reminders_mapping.json");
}

ReminderMapping load(const QString& path) {
    const auto bytes = readWhole(path);
    if (!bytes) return {};
    QJsonParseError parsing;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &parsing);
    const auto damaged = [&](const QString& why) {
        return ReminderMappingError(platform::toStdString(describedFile(path) + QStringLiteral(" is damaged (") + why +
                                                          QStringLiteral("); move it away to start afresh.")));
    };
    if (parsing.error != QJsonParseError::NoError) throw damaged(parsing.errorString());
    if (!document.isObject()) throw damaged(QStringLiteral("not an object"));
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString()) throw damaged(QStringLiteral("the value of ") + it.key() + " is not a text");
    }
    return fromDictionary(object.toVariantMap());
}

void save(const QString& path, const ReminderMapping& mapping) {
    QJsonObject object;
    for (const auto& [id, identifier] : mapping) {
        object.insert(platform::toQString(std::string_view(id.uuidString())),
                      platform::toQString(std::string_view(identifier)));
    }
    if (const auto failure = writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented))) {
        throw ReminderMappingError(platform::toStdString(
            QStringLiteral("Could not save the record of exported reminders: ") + *failure + '.'));
    }
}

ReminderMapping loadMovingFromSettings(const QString& path, QSettings& settings) {
    ReminderMapping mapping = load(path);
    if (!settings.contains(QString::fromLatin1(kSettingsKey))) return mapping;
    // The file is the newer record: its entries win.
    ReminderMapping merged = fromSettings(settings);
    for (auto& [id, identifier] : mapping) merged.insert_or_assign(id, std::move(identifier));
    save(path, merged);
    settings.remove(QString::fromLatin1(kSettingsKey));
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        // Harmless: the next launch merges it again, under the file's entries.
        platform::systemlog::write("[RemindersExport] The reminders mapping was moved to " +
                                   platform::toStdString(path) + ", but could not be removed from " +
                                   platform::toStdString(settings.fileName()));
    }
    return merged;
}

}  // namespace quillo::ReminderMappingFile
