#pragma once

#include <QString>

namespace quillo {

// What one reminders export did; the two counts add up to the number of items exported.
struct ExportResult {
    int createdCount = 0;
    int updatedCount = 0;
    // The title of the list written into, read back after the export.
    QString listTitle;
};

}  // namespace quillo
