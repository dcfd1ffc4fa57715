#include "QuilloToDo/Services/LocaleDateText.h"

#include <unicode/udat.h>

#include <array>

namespace quillo::LocaleDateText {

namespace {

QString format(const QDateTime& moment, UDateFormatStyle time, UDateFormatStyle date) {
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* formatter = udat_open(time, date, nullptr, nullptr, -1, nullptr, -1, &status);
    if (U_FAILURE(status)) return moment.toString(Qt::ISODate);
    std::array<UChar, 256> buffer{};
    const int32_t length = udat_format(formatter, static_cast<UDate>(moment.toMSecsSinceEpoch()), buffer.data(),
                                       static_cast<int32_t>(buffer.size()), nullptr, &status);
    udat_close(formatter);
    if (U_FAILURE(status) || length > static_cast<int32_t>(buffer.size())) return moment.toString(Qt::ISODate);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer.data()), length);
}

}  // namespace

QString abbreviatedDate(const QDateTime& moment) { return format(moment, UDAT_NONE, UDAT_MEDIUM); }

QString abbreviatedDateShortenedTime(const QDateTime& moment) { return format(moment, UDAT_SHORT, UDAT_MEDIUM); }

QString standardTime(const QDateTime& moment) { return format(moment, UDAT_MEDIUM, UDAT_NONE); }

}  // namespace quillo::LocaleDateText
