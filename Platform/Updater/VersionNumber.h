#pragma once

#include <QString>

#include <compare>

namespace platform {

// Orders version texts the way people read them: "0.10.0" is newer than "0.9.2", "1.0" equals
// "1.0.0". Each text is split into runs of digits and runs of other characters (dots and hyphens
// only separate); digit runs compare as numbers of any length, other runs as text, and a missing
// component counts as 0. Surrounding white space is ignored, and so is a "v" or "V" right before the
// first digit ("v2.0" is 2.0). Never fails: any text has an order.
std::strong_ordering compareVersions(const QString& lhs, const QString& rhs);

}  // namespace platform
