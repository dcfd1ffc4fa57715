#include "QuilloToDoKit/QuilloToDoModel/MarkerFilter.h"

#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <string_view>

namespace quillo {

namespace {

bool isASCII(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::set<std::string> canonicalForms(const std::set<std::string>& texts) {
    std::set<std::string> forms;
    for (const auto& text : texts) forms.insert(platform::canonicalForm(text));
    return forms;
}

platform::JSON encodeArray(const auto& values) {
    platform::JSON array = platform::JSON::array();
    for (const auto& value : values) array.push_back(encode(value));
    return array;
}

// Reads every element of the array member `key` with `decode`; repeated elements collapse.
template <class T, class Decode>
std::set<T> decodeSet(const platform::KeyedDecoder& decoder, std::string_view key, Decode decode) {
    const platform::JSON& array = decoder.decodeArray(key);
    std::set<T> values;
    for (std::size_t i = 0; i < array.size(); ++i)
        values.insert(decode(array[i], platform::elementPath(decoder.pathFor(key), i)));
    return values;
}

}  // namespace

MarkerFilter::MarkerFilter(std::set<MarkerKind> kinds, const std::set<std::string>& roleUIDs,
                           std::set<TodoStatus> statuses, std::string searchText)
    : kinds_(std::move(kinds)),
      roleUIDs_(canonicalForms(roleUIDs)),
      statuses_(std::move(statuses)),
      searchText_(std::move(searchText)),
      search_(searchText_) {}

void MarkerFilter::setSearchText(std::string searchText) {
    searchText_ = std::move(searchText);
    search_ = platform::CaseInsensitiveSearch(searchText_);
}

void MarkerFilter::setRoleUIDs(const std::set<std::string>& roleUIDs) { roleUIDs_ = canonicalForms(roleUIDs); }

bool MarkerFilter::passesSets(const TodoItem& item) const {
    if (!kinds_.empty() && !kinds_.contains(item.kind)) return false;
    if (!roleUIDs_.empty()) {
        const auto& role = item.roleUID;
        if (!role) return false;
        // ASCII text is its own canonical form: no copy needed to look it up.
        const bool listed =
            isASCII(*role) ? roleUIDs_.contains(*role) : roleUIDs_.contains(platform::canonicalForm(*role));
        if (!listed) return false;
    }
    return statuses_.empty() || statuses_.contains(item.status);
}

bool MarkerFilter::matches(const TodoItem& item) const {
    if (!passesSets(item)) return false;
    if (searchText_.empty()) return true;

    const auto found = [this](const std::string& candidate) { return search_.foundIn(candidate); };
    return found(item.text) || found(item.rawText) || (item.assigneeName && found(*item.assigneeName)) ||
           found(item.libraryName) || found(item.eventName) || found(item.timelineName);
}

std::vector<bool> MarkerFilter::matchesEach(const std::vector<TodoItem>& items, const MarkerSearchTexts& texts) const {
    const bool sets = !kinds_.empty() || !roleUIDs_.empty() || !statuses_.empty();
    std::vector<bool> matched(items.size(), true);
    if (searchText_.empty()) {
        if (sets) {
            for (std::size_t i = 0; i < items.size(); ++i) matched[i] = passesSets(items[i]);
        }
    } else if (texts.size() != items.size() || texts.usesTurkicCaseRules() != search_.usesTurkicCaseRules()) {
        for (std::size_t i = 0; i < items.size(); ++i) matched[i] = matches(items[i]);
    } else {
        const MarkerSearchTexts::Hits hits = texts.hits(search_);
        for (std::size_t i = 0; i < items.size(); ++i) matched[i] = (!sets || passesSets(items[i])) && hits[i];
    }
    return matched;
}

bool operator==(const MarkerFilter& a, const MarkerFilter& b) {
    return a.kinds_ == b.kinds_ && a.roleUIDs_ == b.roleUIDs_ && a.statuses_ == b.statuses_ &&
           platform::canonicallyEqual(a.searchText_, b.searchText_);
}

platform::JSON encode(const MarkerFilter& filter, const platform::CodingPath&) {
    platform::JSON json = platform::JSON::object();
    json["kinds"] = encodeArray(filter.kinds());
    json["roleUIDs"] = platform::JSON(filter.roleUIDs());
    json["statuses"] = encodeArray(filter.statuses());
    json["searchText"] = filter.searchText();
    return json;
}

MarkerFilter decodeMarkerFilter(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    auto kinds = decodeSet<MarkerKind>(decoder, "kinds", decodeMarkerKind);
    auto roleUIDs = decodeSet<std::string>(decoder, "roleUIDs", platform::decodeString);
    auto statuses = decodeSet<TodoStatus>(decoder, "statuses", decodeTodoStatus);
    auto searchText = decoder.decodeString("searchText");
    return MarkerFilter(std::move(kinds), roleUIDs, std::move(statuses), std::move(searchText));
}

}  // namespace quillo
