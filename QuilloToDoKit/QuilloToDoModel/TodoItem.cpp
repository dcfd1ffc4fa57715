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

namespace {

template <class T>
bool sameValue(const T& a, const T& b) {
    if constexpr (itemfields::isOptional<T>) {
        if (a.has_value() != b.has_value()) return false;
        return !a || sameValue(*a, *b);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return platform::canonicallyEqual(a, b);
    } else {
        return a == b;
    }
}

// Feeds each field, in order, into one 64-bit state.
class Hasher {
public:
    void add(std::uint64_t value) noexcept { state_ ^= value + 0x9E3779B97F4A7C15ULL + (state_ << 6) + (state_ >> 2); }
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

// A present optional hashes its presence, then its value.
template <class T>
void hashValue(Hasher& hasher, const T& value) {
    if constexpr (itemfields::isOptional<T>) {
        hasher.add(std::uint64_t{value.has_value()});
        if (value) hashValue(hasher, *value);
    } else if constexpr (std::is_same_v<T, std::string>) {
        hasher.addText(value);
    } else if constexpr (std::is_same_v<T, bool>) {
        hasher.add(std::uint64_t{value});
    } else if constexpr (std::is_same_v<T, double>) {
        hasher.add(value);
    } else if constexpr (std::is_same_v<T, platform::UUID>) {
        hasher.add(std::uint64_t{std::hash<platform::UUID>{}(value)});
    } else {
        hasher.add(itemfields::TextCoded<T>::text(value));
    }
}

// Enumerations and UUIDs are coded as text: the keyed decoder reports a missing, null or non-string
// member, TextCoded<T>::decode a text that names no value.
template <class T>
T decodeValue(const platform::KeyedDecoder& decoder, std::string_view key) {
    if constexpr (std::is_same_v<T, std::string>) {
        return decoder.decodeString(key);
    } else if constexpr (std::is_same_v<T, std::optional<std::string>>) {
        return decoder.decodeStringIfPresent(key);
    } else if constexpr (std::is_same_v<T, std::optional<bool>>) {
        return decoder.decodeBoolIfPresent(key);
    } else if constexpr (std::is_same_v<T, double>) {
        return decoder.decodeDouble(key);
    } else {
        return itemfields::TextCoded<T>::decode(platform::JSON(decoder.decodeString(key)), decoder.pathFor(key));
    }
}

}  // namespace

bool operator==(const TodoItem& a, const TodoItem& b) {
    bool same = true;
    itemfields::forEachMember([&](const auto& member) { same = same && sameValue(a.*member.field, b.*member.field); });
    return same;
}

platform::JSON encode(const TodoItem& item, const platform::CodingPath& path) {
    platform::JSON json = platform::JSON::object();
    itemfields::visitMembers(item, [&](std::string_view key, auto value) {
        if constexpr (std::is_same_v<decltype(value), double>)
            json[key] = platform::requireFinite(value, platform::childPath(path, key));
        else
            json[key] = value;
    });
    return json;
}

TodoItem decodeTodoItem(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    TodoItem item;
    // Read in field order so that the first faulty member is the one reported.
    itemfields::forEachMember([&](const auto& member) {
        using T = typename std::remove_cvref_t<decltype(member)>::Type;
        item.*member.field = decodeValue<T>(decoder, member.key);
    });
    return item;
}

}  // namespace quillo

std::size_t std::hash<quillo::TodoItem>::operator()(const quillo::TodoItem& item) const {
    quillo::Hasher hasher;
    quillo::itemfields::forEachMember([&](const auto& member) { quillo::hashValue(hasher, item.*member.field); });
    return hasher.result();
}
