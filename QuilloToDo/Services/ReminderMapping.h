#pragma once

#include "Platform/Foundation/UUID.h"

#include <QSettings>

#include <map>
#include <set>
#include <string>

namespace quillo {

// Which reminder was made for which to-do: the to-do's id to the reminder's calendar item identifier.
using ReminderMapping = std::map<platform::UUID, std::string>;
// To-do ids whose reminder is completed in the reminders store.
using ReminderIDSet = std::set<platform::UUID>;

// The mapping as stored in the user defaults under "QuilloToDo.RemindersExport.Mapping": a dictionary
// from the to-do id's upper-case text to the identifier.
namespace ReminderMappingStore {

inline constexpr auto kKey = "QuilloToDo.RemindersExport.Mapping";

// Empty when nothing is stored or the value is not a dictionary of texts (one non-text value spoils
// it all); keys that are no UUID (in any letter case) are skipped.
ReminderMapping load(const QSettings& defaults);
// Replaces the stored dictionary; an empty mapping is stored as an empty dictionary.
void save(QSettings& defaults, const ReminderMapping& mapping);

}  // namespace ReminderMappingStore

}  // namespace quillo
