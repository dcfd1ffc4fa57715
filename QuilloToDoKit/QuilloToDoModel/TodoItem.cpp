#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoItemFields.h"
#include "QuilloToDoKit/QuilloToDoModel/UUIDCoding.h"

#include "Platform/Foundation/UnicodeText.h"

#include <bit>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

namespace quillo {

TodoItem::TodoItem(platform::UUID id, MarkerKind kind, TodoStatus status, std::optional<bool> completedRaw,
                   std::string text, std::string rawText, std::optional<std::string> chapterNote,
                   std::optional<std::string> assigneeName, AssigneeSource assigneeSource,
                   std::optional<std::string> roleUID, std::optional<std::string> roleName,
                   std::optional<std::string> topLevelRoleUID, std::string libraryName,
                   std::string libraryBookmarkID, std::string eventName, std::string timelineID,
                   std::string timelineName, double timelinePositionSeconds, std::string timelineTimecode,
                   double frameRateFPS)
    : id_(id),
      kind_(kind),
      status_(status),
      completedRaw_(completedRaw),
      text_(std::move(text)),
      rawText_(std::move(rawText)),
      chapterNote_(std::move(chapterNote)),
      assigneeName_(std::move(assigneeName)),
      assigneeSource_(assigneeSource),
      roleUID_(std::move(roleUID)),
      roleName_(std::move(roleName)),
      topLevelRoleUID_(std::move(topLevelRoleUID)),
      libraryName_(std::move(libraryName)),
      libraryBookmarkID_(std::move(libraryBookmarkID)),
      eventName_(std::move(eventName)),
      timelineID_(std::move(timelineID)),
      timelineName_(std::move(timelineName)),
      timelinePositionSeconds_(timelinePositionSeconds),
      timelineTimecode_(std::move(timelineTimecode)),
      frameRateFPS_(frameRateFPS) {}

namespace {

bool sameText(const std::string& a, const std::string& b) { return platform::canonicallyEqual(a, b); }

bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || platform::canonicallyEqual(*a, *b);
}

// Feeds each field, in order, into one 64-bit state.
class Hasher {
public:
    void add(std::uint64_t value) noexcept {
        state_ ^= value + 0x9E3779B97F4A7C15ULL + (state_ << 6) + (state_ >> 2);
    }
    void add(std::string_view bytes) noexcept { add(std::uint64_t{std::hash<std::string_view>{}(bytes)}); }
    void addText(std::string_view text) { add(std::string_view(platform::canonicalForm(text))); }
    void addOptionalText(const std::optional<std::string>& text) {
        add(std::uint64_t{text.has_value()});
        if (text) addText(*text);
    }
    void add(double value) noexcept {
        // -0.0 == 0.0, so both must hash alike.
        add(std::bit_cast<std::uint64_t>(value == 0.0 ? 0.0 : value));
    }
    std::size_t result() const noexcept { return static_cast<std::size_t>(state_); }

private:
    std::uint64_t state_ = 0;
};

// Enumerations and UUIDs are coded as text: the keyed decoder reports a missing, null or non-string
// member, `decode` a text that names no value.
template <class T>
T decodeTextMember(const platform::KeyedDecoder& decoder, std::string_view key,
                   T (*decode)(const platform::JSON&, const platform::CodingPath&)) {
    return decode(platform::JSON(decoder.decodeString(key)), decoder.pathFor(key));
}

platform::CodingPath appended(const platform::CodingPath& path, std::string_view key) {
    platform::CodingPath result = path;
    result.emplace_back(key);
    return result;
}

}  // namespace

bool operator==(const TodoItem& a, const TodoItem& b) {
    return a.id_ == b.id_ && a.kind_ == b.kind_ && a.status_ == b.status_ && a.completedRaw_ == b.completedRaw_ &&
           sameText(a.text_, b.text_) && sameText(a.rawText_, b.rawText_) &&
           sameText(a.chapterNote_, b.chapterNote_) && sameText(a.assigneeName_, b.assigneeName_) &&
           a.assigneeSource_ == b.assigneeSource_ && sameText(a.roleUID_, b.roleUID_) &&
           sameText(a.roleName_, b.roleName_) && sameText(a.topLevelRoleUID_, b.topLevelRoleUID_) &&
           sameText(a.libraryName_, b.libraryName_) && sameText(a.libraryBookmarkID_, b.libraryBookmarkID_) &&
           sameText(a.eventName_, b.eventName_) && sameText(a.timelineID_, b.timelineID_) &&
           sameText(a.timelineName_, b.timelineName_) &&
           a.timelinePositionSeconds_ == b.timelinePositionSeconds_ &&
           sameText(a.timelineTimecode_, b.timelineTimecode_) && a.frameRateFPS_ == b.frameRateFPS_;
}

platform::JSON encode(const TodoItem& item, const platform::CodingPath& path) {
    platform::JSON json = platform::JSON::object();
    itemfields::visitMembers(item, [&](itemfields::Field field, auto value) {
        const std::string_view name = itemfields::key(field);
        if constexpr (std::is_same_v<decltype(value), double>)
            json[name] = platform::requireFinite(value, appended(path, name));
        else
            json[name] = value;
    });
    return json;
}

TodoItem decodeTodoItem(const platform::JSON& value, const platform::CodingPath& path) {
    using itemfields::Field;
    using itemfields::key;
    const platform::KeyedDecoder decoder(value, path);
    // Read in field order so that the first faulty member is the one reported.
    auto id = decodeTextMember(decoder, key(Field::id), decodeUUID);
    auto kind = decodeTextMember(decoder, key(Field::kind), decodeMarkerKind);
    auto status = decodeTextMember(decoder, key(Field::status), decodeTodoStatus);
    auto completedRaw = decoder.decodeBoolIfPresent(key(Field::completedRaw));
    auto text = decoder.decodeString(key(Field::text));
    auto rawText = decoder.decodeString(key(Field::rawText));
    auto chapterNote = decoder.decodeStringIfPresent(key(Field::chapterNote));
    auto assigneeName = decoder.decodeStringIfPresent(key(Field::assigneeName));
    auto assigneeSource = decodeTextMember(decoder, key(Field::assigneeSource), decodeAssigneeSource);
    auto roleUID = decoder.decodeStringIfPresent(key(Field::roleUID));
    auto roleName = decoder.decodeStringIfPresent(key(Field::roleName));
    auto topLevelRoleUID = decoder.decodeStringIfPresent(key(Field::topLevelRoleUID));
    auto libraryName = decoder.decodeString(key(Field::libraryName));
    auto libraryBookmarkID = decoder.decodeString(key(Field::libraryBookmarkID));
    auto eventName = decoder.decodeString(key(Field::eventName));
    auto timelineID = decoder.decodeString(key(Field::timelineID));
    auto timelineName = decoder.decodeString(key(Field::timelineName));
    auto timelinePositionSeconds = decoder.decodeDouble(key(Field::timelinePositionSeconds));
    auto timelineTimecode = decoder.decodeString(key(Field::timelineTimecode));
    auto frameRateFPS = decoder.decodeDouble(key(Field::frameRateFPS));
    return TodoItem(id, kind, status, completedRaw, std::move(text), std::move(rawText), std::move(chapterNote),
                    std::move(assigneeName), assigneeSource, std::move(roleUID), std::move(roleName),
                    std::move(topLevelRoleUID), std::move(libraryName), std::move(libraryBookmarkID),
                    std::move(eventName), std::move(timelineID), std::move(timelineName), timelinePositionSeconds,
                    std::move(timelineTimecode), frameRateFPS);
}

}  // namespace quillo

std::size_t std::hash<quillo::TodoItem>::operator()(const quillo::TodoItem& item) const {
    quillo::Hasher hasher;
    hasher.add(std::uint64_t{std::hash<platform::UUID>{}(item.id())});
    hasher.add(quillo::rawValue(item.kind()));
    hasher.add(quillo::rawValue(item.status()));
    hasher.add(std::uint64_t{item.completedRaw().has_value()});
    if (item.completedRaw()) hasher.add(std::uint64_t{*item.completedRaw()});
    hasher.addText(item.text());
    hasher.addText(item.rawText());
    hasher.addOptionalText(item.chapterNote());
    hasher.addOptionalText(item.assigneeName());
    hasher.add(quillo::rawValue(item.assigneeSource()));
    hasher.addOptionalText(item.roleUID());
    hasher.addOptionalText(item.roleName());
    hasher.addOptionalText(item.topLevelRoleUID());
    hasher.addText(item.libraryName());
    hasher.addText(item.libraryBookmarkID());
    hasher.addText(item.eventName());
    hasher.addText(item.timelineID());
    hasher.addText(item.timelineName());
    hasher.add(item.timelinePositionSeconds());
    hasher.addText(item.timelineTimecode());
    hasher.add(item.frameRateFPS());
    return hasher.result();
}
