#pragma once

#include <stdexcept>
#include <string>

namespace brimlock {

// A failure of an event database. what() is the kind's prefix ("Query failed: " and so on) followed
// by SQLite's own message ("Unknown error" when there was no connection to ask).
class FCPDatabaseError : public std::runtime_error {
public:
    enum class Kind { connectionFailed, queryFailed, blobDecodingFailed };

    FCPDatabaseError(Kind kind, std::string detail);

    Kind kind() const noexcept { return kind_; }
    const std::string& detail() const noexcept { return detail_; }

private:
    Kind kind_;
    std::string detail_;
};

}  // namespace brimlock
