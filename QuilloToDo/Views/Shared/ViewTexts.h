#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

// Texts of the content pane and its panels that are made from values.
namespace quillo {

// The footer's count of shown to-dos: "0 markers", "1 marker", "2 markers".
QString markerCountText(qint64 count);
// The status panel's extension row: "0 connected".
QString connectedExtensionsText(qint64 count);
// The status panel's PostLab row while polling: "polling 1 name", "polling 2 names".
QString pollingNamesText(qint64 count);
// The time of the last scan in the user's short time format, date omitted; "–" before any scan.
QString lastScanText(const std::optional<QDateTime>& date);
// A details value; "–" when absent. An empty text stays empty.
QString detailValueText(const std::optional<std::string>& value);

}  // namespace quillo
