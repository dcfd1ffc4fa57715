#include "QuilloToDo/Services/RetryQueueFile.h"

#include <limits>
#include <optional>

namespace quillo::RetryQueueFile {

namespace {

std::optional<RetryQueueEntry> decodeEntry(const platform::JSON& element, const OperationCheck& check) {
    if (!element.is_object()) return std::nullopt;

    const auto id = element.find("id");
    if (id == element.end() || !id->is_string()) return std::nullopt;
    const auto uuid = platform::UUID::parse(id->get_ref<const std::string&>());
    if (!uuid) return std::nullopt;

    const auto operation = element.find("operation");
    if (operation == element.end() || !operation->is_object()) return std::nullopt;
    if (check && !check(*operation)) return std::nullopt;

    // Integral JSON numbers only; a negative count would index the back-off before its start.
    const auto attempts = element.find("attempts");
    if (attempts == element.end()) return std::nullopt;
    std::int64_t count = 0;
    if (attempts->is_number_unsigned()) {
        const auto value = attempts->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        count = static_cast<std::int64_t>(value);
    } else if (attempts->is_number_integer()) {
        count = attempts->get<std::int64_t>();
        if (count < 0) return std::nullopt;
    } else {
        return std::nullopt;
    }

    std::optional<std::string> dedupKey;
    if (const auto key = element.find("dedupKey"); key != element.end() && !key->is_null()) {
        if (!key->is_string()) return std::nullopt;
        dedupKey = key->get<std::string>();
    }
    return RetryQueueEntry{.id = *uuid, .operation = *operation, .dedupKey = std::move(dedupKey), .attempts = count};
}

}  // namespace

std::string encode(const std::vector<RetryQueueEntry>& entries) {
    platform::JSON array = platform::JSON::array();
    for (const auto& entry : entries) {
        platform::JSON object = platform::JSON::object();
        object["id"] = entry.id.uuidString();
        object["operation"] = entry.operation;
        if (entry.dedupKey) object["dedupKey"] = *entry.dedupKey;
        object["attempts"] = entry.attempts;
        array.push_back(std::move(object));
    }
    // Outside strings compact JSON holds no slash, so escaping every one touches only text.
    const std::string compact = platform::serializeJSON(array);
    std::string escaped;
    escaped.reserve(compact.size());
    for (const char c : compact) {
        if (c == '/') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

Contents decode(std::string_view bytes, const OperationCheck& check) {
    Contents contents;
    platform::JSON document;
    try {
        document = platform::parseJSON(bytes);
    } catch (const platform::DecodingError&) {
        return contents;
    }
    if (!document.is_array()) return contents;
    contents.isArray = true;
    for (const auto& element : document) {
        if (auto entry = decodeEntry(element, check)) {
            contents.entries.push_back(std::move(*entry));
        } else {
            ++contents.droppedCount;
        }
    }
    return contents;
}

}  // namespace quillo::RetryQueueFile
