#include "QuilloToDo/Views/SidebarModel/ExpandedEvents.h"

#include "Platform/Foundation/UnicodeText.h"

namespace quillo::ExpandedEvents {

namespace {
constexpr char kSeparator = '\x01';
}

IDSet decode(std::string_view stored) {
    IDSet ids;
    while (!stored.empty()) {
        const auto end = stored.find(kSeparator);
        const auto piece = stored.substr(0, end);
        if (!piece.empty()) ids.insert(platform::canonicalForm(piece));
        if (end == std::string_view::npos) break;
        stored.remove_prefix(end + 1);
    }
    return ids;
}

std::string encode(const IDSet& ids) {
    std::string stored;
    for (const auto& id : ids) {
        if (!stored.empty()) stored += kSeparator;
        stored += id;
    }
    return stored;
}

std::string toggled(std::string_view stored, std::string_view id) {
    auto ids = decode(stored);
    auto canonical = platform::canonicalForm(id);
    if (!ids.erase(canonical)) ids.insert(std::move(canonical));
    return encode(ids);
}

}  // namespace quillo::ExpandedEvents
