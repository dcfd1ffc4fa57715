#include "BrimlockCore/Database/FCPDatabaseError.h"

namespace brimlock {

namespace {

std::string messageFor(FCPDatabaseError::Kind kind, const std::string& detail) {
    switch (kind) {
    case FCPDatabaseError::Kind::connectionFailed: return "Failed to open FCP database: " + detail;
    case FCPDatabaseError::Kind::queryFailed: return "Query failed: " + detail;
    case FCPDatabaseError::Kind::blobDecodingFailed: return "Blob decoding failed: " + detail;
    }
    return detail;
}

}  // namespace

FCPDatabaseError::FCPDatabaseError(Kind kind, std::string detail)
    : std::runtime_error(messageFor(kind, detail)), kind_(kind), detail_(std::move(detail)) {}

}  // namespace brimlock
