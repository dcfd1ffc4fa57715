#pragma once

#include "Platform/Foundation/UUID.h"

#include <QString>

#include <map>
#include <set>
#include <stdexcept>
#include <string>

class QSettings;

namespace quillo {

// Which reminder was made for which to-do: the to-do's id to the reminder's calendar item identifier.
using ReminderMapping = std::map<platform::UUID, std::string>;
// To-do ids whose reminder is completed in the reminders store.
using ReminderIDSet = std::set<platform::UUID>;

// The stored mapping could not be read or saved; what() names the file and the reason, for the user.
class ReminderMappingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The mapping in a file of its own in the data folder, apart from the settings that change with every
// slider step: a JSON object from the to-do id's upper-case text to the identifier. Every function
// waits for the disk: call them off the main thread.
namespace ReminderMappingFile {

// Where the mapping was kept before it had a file of its own, in the settings.
inline constexpr auto kSettingsKey = "QuilloToDo.RemindersExport.Mapping";

// $XDG_DATA_HOME/QuilloToDo/reminders_mapping.json.
QString defaultPath();

// Empty when there is no file. A file that is there but cannot be read, or holds anything but an
// object of texts, fails with ReminderMappingError: taken for an empty mapping, it would be
// overwritten by the next save, and every reminder it knew of would be made a second time. Keys
// that are no UUID (in any letter case) are skipped.
ReminderMapping load(const QString& path);
// Replaces the file atomically (temporary file, synced, renamed, folder synced); an empty mapping is
// an empty object. Fails with ReminderMappingError, the old file then untouched.
void save(const QString& path, const ReminderMapping& mapping);
// load(), after moving a mapping still kept under kSettingsKey into the file, once: its entries are
// merged under the file's, saved, and only then is the key removed from `settings`. A value there
// that is not a dictionary of texts (one non-text value spoils it all) adds nothing. Fails as load
// and save do, the key then left in place.
ReminderMapping loadMovingFromSettings(const QString& path, QSettings& settings);

}  // namespace ReminderMappingFile

}  // namespace quillo
