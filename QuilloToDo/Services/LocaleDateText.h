#pragma once

#include <QDateTime>
#include <QString>

// Dates and times as the user's locale writes them (ICU, from the environment's locale), in the
// styles the windows and texts use.
namespace quillo::LocaleDateText {

// The date alone, abbreviated: "Dec 9, 2026" in English.
QString abbreviatedDate(const QDateTime& moment);
// The abbreviated date and the shortened time: "Dec 9, 2026 at 7:45 PM" in English.
QString abbreviatedDateShortenedTime(const QDateTime& moment);
// The time of day alone, with seconds: "7:45:12 PM" in English.
QString standardTime(const QDateTime& moment);

}  // namespace quillo::LocaleDateText
