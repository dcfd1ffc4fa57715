#pragma once

#include <QString>

namespace quillo {

// What one reminders export did; the three counts add up to the number of items exported.
struct ExportResult {
    int createdCount = 0;
    int updatedCount = 0;
    // The title of the list written into, read back after the export.
    QString listTitle;
    // Mapped reminders whose file could not be read (or whose list could not be listed): left as
    // they are, not moved, and still mapped; `untouchedReason` says why for the first of them.
    int untouchedCount = 0;
    QString untouchedReason;
};

}  // namespace quillo
