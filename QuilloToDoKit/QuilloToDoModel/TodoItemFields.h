#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"
#include "QuilloToDoKit/QuilloToDoModel/UUIDCoding.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

// The coded form of a TodoItem: each field with its member name, in the order members are written.
// Equality, hashing, the JSON tree coder and the direct text coder of to-do lists all walk this list.
namespace quillo::itemfields {

template <class T>
struct Member {
    using Type = T;
    std::string_view key;
    T TodoItem::*field;
};

inline constexpr auto kMembers = std::tuple(
    Member<platform::UUID>{"id", &TodoItem::id}, Member<MarkerKind>{"kind", &TodoItem::kind},
    Member<TodoStatus>{"status", &TodoItem::status},
    Member<std::optional<bool>>{"completedRaw", &TodoItem::completedRaw}, Member<std::string>{"text", &TodoItem::text},
    Member<std::string>{"rawText", &TodoItem::rawText},
    Member<std::optional<std::string>>{"chapterNote", &TodoItem::chapterNote},
    Member<std::optional<std::string>>{"assigneeName", &TodoItem::assigneeName},
    Member<AssigneeSource>{"assigneeSource", &TodoItem::assigneeSource},
    Member<std::optional<std::string>>{"roleUID", &TodoItem::roleUID},
    Member<std::optional<std::string>>{"roleName", &TodoItem::roleName},
    Member<std::optional<std::string>>{"topLevelRoleUID", &TodoItem::topLevelRoleUID},
    Member<std::string>{"libraryName", &TodoItem::libraryName},
    Member<std::string>{"libraryBookmarkID", &TodoItem::libraryBookmarkID},
    Member<std::string>{"eventName", &TodoItem::eventName}, Member<std::string>{"timelineID", &TodoItem::timelineID},
    Member<std::string>{"timelineName", &TodoItem::timelineName},
    Member<double>{"timelinePositionSeconds", &TodoItem::timelinePositionSeconds},
    Member<std::string>{"timelineTimecode", &TodoItem::timelineTimecode},
    Member<double>{"frameRateFPS", &TodoItem::frameRateFPS});

inline constexpr std::size_t kCount = std::tuple_size_v<decltype(kMembers)>;

// Calls `f(member)` for each member in order.
template <class F>
constexpr void forEachMember(F&& f) {
    std::apply([&](const auto&... member) { (f(member), ...); }, kMembers);
}

// Calls `f(member)` for the member at `index` (< kCount) and returns what it returns.
template <class F>
bool withMember(std::size_t index, F&& f) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        bool result = false;
        (void)((index == I && (result = f(std::get<I>(kMembers)), true)) || ...);
        return result;
    }
    (std::make_index_sequence<kCount>{});
}

inline constexpr auto kKeys =
    std::apply([](const auto&... member) { return std::array<std::string_view, kCount>{member.key...}; }, kMembers);

template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;

// Members coded as text that is not free text: the id and the enumerations.
template <class T>
struct TextCoded;

template <>
struct TextCoded<platform::UUID> {
    static std::string text(const platform::UUID& id) { return id.uuidString(); }
    static std::optional<platform::UUID> parse(std::string_view text) { return platform::UUID::parse(text); }
    static platform::UUID decode(const platform::JSON& value, const platform::CodingPath& path) {
        return decodeUUID(value, path);
    }
};

template <>
struct TextCoded<MarkerKind> {
    static std::string_view text(MarkerKind kind) { return rawValue(kind); }
    static std::optional<MarkerKind> parse(std::string_view text) { return markerKindFromRawValue(text); }
    static MarkerKind decode(const platform::JSON& value, const platform::CodingPath& path) {
        return decodeMarkerKind(value, path);
    }
};

template <>
struct TextCoded<TodoStatus> {
    static std::string_view text(TodoStatus status) { return rawValue(status); }
    static std::optional<TodoStatus> parse(std::string_view text) { return todoStatusFromRawValue(text); }
    static TodoStatus decode(const platform::JSON& value, const platform::CodingPath& path) {
        return decodeTodoStatus(value, path);
    }
};

template <>
struct TextCoded<AssigneeSource> {
    static std::string_view text(AssigneeSource source) { return rawValue(source); }
    static std::optional<AssigneeSource> parse(std::string_view text) { return assigneeSourceFromRawValue(text); }
    static AssigneeSource decode(const platform::JSON& value, const platform::CodingPath& path) {
        return decodeAssigneeSource(value, path);
    }
};

// Calls `visit(value)` with a value as it is coded: a std::string_view for texts, enumerations and
// the id, a bool or a double; nothing for an absent optional.
template <class T, class Visitor>
void visitValue(const T& value, Visitor&& visit) {
    if constexpr (isOptional<T>) {
        if (value) visitValue(*value, visit);
    } else if constexpr (std::is_same_v<T, std::string>) {
        visit(std::string_view(value));
    } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, double>) {
        visit(value);
    } else {
        const auto text = TextCoded<T>::text(value);
        visit(std::string_view(text));
    }
}

// Calls `visit(key, value)` for each present member in order, `value` as visitValue gives it.
template <class Visitor>
void visitMembers(const TodoItem& item, Visitor&& visit) {
    forEachMember(
        [&](const auto& member) { visitValue(item.*member.field, [&](auto value) { visit(member.key, value); }); });
}

}  // namespace quillo::itemfields
