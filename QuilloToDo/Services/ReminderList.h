#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QString>

namespace quillo {

// A reminders list an export may write into.
struct ReminderList {
    QString id;     // the list's calendar identifier
    QString title;  // as the store gives it

    friend bool operator==(const ReminderList&, const ReminderList&) = default;
};

inline size_t qHash(const ReminderList& list, size_t seed = 0) { return qHashMulti(seed, list.id, list.title); }

}  // namespace quillo
