#include "QuilloToDoKit/QuilloToDoModel/TodoListText.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoItemFields.h"

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace quillo::todolisttext {

namespace {

using itemfields::Field;

constexpr std::string_view kCaseName = "todoList";
constexpr std::string_view kListName = "_0";

// Length of the well-formed UTF-8 sequence at `at`, 0 when there is none (Unicode table 3-7: no
// overlong forms, no surrogates, nothing past U+10FFFF).
std::size_t sequenceLength(std::string_view text, std::size_t at) noexcept {
    const auto byte = [&](std::size_t i) -> unsigned {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U;
    };
    const auto continues = [&](std::size_t i, unsigned low, unsigned high) {
        return byte(i) >= low && byte(i) <= high;
    };
    const unsigned lead = byte(at);
    if (lead >= 0xC2 && lead <= 0xDF) return continues(at + 1, 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return continues(at + 1, low, high) && continues(at + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return continues(at + 1, low, high) && continues(at + 2, 0x80, 0xBF) && continues(at + 3, 0x80, 0xBF) ? 4
                                                                                                            : 0;
    }
    return 0;
}

// Appends JSON text as nlohmann's compact dump writes it.
class Writer {
public:
    explicit Writer(std::size_t capacity) { out_.reserve(capacity); }

    void raw(std::string_view text) { out_.append(text); }
    void boolean(bool value) { raw(value ? "true" : "false"); }

    // False for ill-formed UTF-8, which the tree coder replaces by its own rules.
    bool string(std::string_view text) {
        out_ += '"';
        std::size_t copied = 0;
        for (std::size_t i = 0; i < text.size();) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x80) {
                const std::size_t length = sequenceLength(text, i);
                if (length == 0) return false;
                i += length;
                continue;
            }
            if (c >= 0x20 && c != '"' && c != '\\') {
                ++i;
                continue;
            }
            out_.append(text.substr(copied, i - copied));
            escape(c);
            copied = ++i;
        }
        out_.append(text.substr(copied));
        out_ += '"';
        return true;
    }

    // False when not finite. nlohmann's own double formatter, so that the digits are those of dump.
    bool number(double value) {
        if (!std::isfinite(value)) return false;
        std::array<char, 64> buffer{};
        char* end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        out_.append(buffer.data(), end);
        return true;
    }

    std::string take() { return std::move(out_); }

private:
    void escape(unsigned char c) {
        switch (c) {
        case '\b': raw("\\b"); return;
        case '\t': raw("\\t"); return;
        case '\n': raw("\\n"); return;
        case '\f': raw("\\f"); return;
        case '\r': raw("\\r"); return;
        case '"': raw("\\\""); return;
        case '\\': raw("\\\\"); return;
        default: {
            constexpr std::string_view digits = "0123456789abcdef";
            raw("\\u00");
            out_ += digits[c >> 4];
            out_ += digits[c & 0xF];
        }
        }
    }

    std::string out_;
};

// Upper bound of the written size unless texts need escapes; saves regrowing a 40 MB string.
std::size_t estimatedSize(const std::vector<TodoItem>& items) {
    std::size_t size = 32;
    for (const TodoItem& item : items) {
        size += 3;  // braces and comma
        itemfields::visitMembers(item, [&](Field field, auto value) {
            size += itemfields::key(field).size() + 6;  // quotes, colon, comma, value quotes
            if constexpr (std::is_same_v<decltype(value), std::string_view>)
                size += value.size();
            else
                size += 25;  // the longest double, "-1.2345678901234567e-308"
        });
    }
    return size;
}

// Bit N stands for Field N.
constexpr std::uint32_t bit(Field field) noexcept {
    return std::uint32_t{1} << static_cast<unsigned>(field);
}
constexpr std::uint32_t kOptionalMembers = bit(Field::completedRaw) | bit(Field::chapterNote) |
                                   bit(Field::assigneeName) | bit(Field::roleUID) | bit(Field::roleName) |
                                   bit(Field::topLevelRoleUID);
constexpr std::uint32_t kAllMembers = (std::uint32_t{1} << itemfields::kCount) - 1;

// Reads the plain form by hand, a byte at a time: the nlohmann lexer alone takes most of the time
// budget. Accepts only what nlohmann's parser accepts, with the same values; stops at anything else.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {
        items_.reserve(text.size() / 280);  // an item with only empty required members takes about 280 bytes
    }

    std::optional<std::vector<TodoItem>> read() {
        if (text_.starts_with("\xEF\xBB\xBF")) return std::nullopt;  // nlohmann skips a byte order mark
        if (!punctuation('{') || !key(kCaseName) || !punctuation('{') || !key(kListName) || !punctuation('['))
            return std::nullopt;
        if (!punctuation(']')) {
            do {
                if (!item()) return std::nullopt;
            } while (punctuation(','));
            if (!punctuation(']')) return std::nullopt;
        }
        if (!punctuation('}') || !punctuation('}')) return std::nullopt;
        skipSpace();
        if (at_ != text_.size()) return std::nullopt;
        return std::move(items_);
    }

private:
    // One item's members as read so far; `seen` holds the members' bits.
    struct Pending {
        std::uint32_t seen = 0;
        platform::UUID id;
        MarkerKind kind{};
        TodoStatus status{};
        std::optional<bool> completedRaw;
        AssigneeSource assigneeSource{};
        double timelinePositionSeconds = 0;
        double frameRateFPS = 0;
        std::array<std::string, itemfields::kCount> texts;  // the plain text members, by field
    };

    unsigned char peek() const noexcept { return at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : 0; }

    void skipSpace() noexcept {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }

    bool punctuation(char c) {
        skipSpace();
        if (peek() != static_cast<unsigned char>(c)) return false;
        ++at_;
        return true;
    }

    bool key(std::string_view expected) {
        const auto name = string();
        return name && *name == expected && punctuation(':');
    }

    // The string's value: a view of the text when it has no escapes, else of `scratch_`.
    std::optional<std::string_view> string() {
        if (!punctuation('"')) return std::nullopt;
        const std::size_t start = at_;
        bool escaped = false;
        for (;;) {
            const unsigned char c = peek();
            if (c >= 0x80) {
                const std::size_t length = sequenceLength(text_, at_);
                if (length == 0) return std::nullopt;
                if (escaped) scratch_.append(text_.substr(at_, length));
                at_ += length;
            } else if (c == '"') {
                ++at_;
                return escaped ? std::string_view(scratch_) : text_.substr(start, at_ - 1 - start);
            } else if (c == '\\') {
                if (!escaped) scratch_.assign(text_.substr(start, at_ - start));
                escaped = true;
                ++at_;
                if (!unescape()) return std::nullopt;
            } else if (c < 0x20) {  // also the end of the text
                return std::nullopt;
            } else {
                if (escaped) scratch_ += static_cast<char>(c);
                ++at_;
            }
        }
    }

    // Appends the character of the escape after a backslash; a \u escape of a surrogate must pair.
    bool unescape() {
        const unsigned char c = peek();
        ++at_;
        switch (c) {
        case '"': scratch_ += '"'; return true;
        case '\\': scratch_ += '\\'; return true;
        case '/': scratch_ += '/'; return true;
        case 'b': scratch_ += '\b'; return true;
        case 'f': scratch_ += '\f'; return true;
        case 'n': scratch_ += '\n'; return true;
        case 'r': scratch_ += '\r'; return true;
        case 't': scratch_ += '\t'; return true;
        case 'u': break;
        default: return false;
        }
        auto unit = hex4();
        if (!unit || (*unit >= 0xDC00 && *unit <= 0xDFFF)) return false;
        std::uint32_t point = *unit;
        if (point >= 0xD800 && point <= 0xDBFF) {
            if (peek() != '\\' || at_ + 1 >= text_.size() || text_[at_ + 1] != 'u') return false;
            at_ += 2;
            const auto low = hex4();
            if (!low || *low < 0xDC00 || *low > 0xDFFF) return false;
            point = 0x10000 + ((point - 0xD800) << 10) + (*low - 0xDC00);
        }
        appendUTF8(point);
        return true;
    }

    std::optional<std::uint32_t> hex4() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned char c = peek();
            ++at_;
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10U;
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10U;
            else return std::nullopt;
            value = value << 4 | digit;
        }
        return value;
    }

    void appendUTF8(std::uint32_t point) {
        const auto byte = [this](std::uint32_t value) { scratch_ += static_cast<char>(value); };
        if (point < 0x80) {
            byte(point);
        } else if (point < 0x800) {
            byte(0xC0 | point >> 6);
            byte(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            byte(0xE0 | point >> 12);
            byte(0x80 | (point >> 6 & 0x3F));
            byte(0x80 | (point & 0x3F));
        } else {
            byte(0xF0 | point >> 18);
            byte(0x80 | (point >> 12 & 0x3F));
            byte(0x80 | (point >> 6 & 0x3F));
            byte(0x80 | (point & 0x3F));
        }
    }

    // A JSON number as nlohmann reads it and KeyedDecoder::decodeDouble converts it: integers through
    // a 64-bit integer when they fit ("-0" is 0), others correctly rounded; out of range stops.
    std::optional<double> number() {
        skipSpace();
        const std::size_t start = at_;
        const bool negative = peek() == '-';
        if (negative) ++at_;
        const auto digits = [this] {
            const std::size_t first = at_;
            while (peek() >= '0' && peek() <= '9') ++at_;
            return at_ - first;
        };
        const std::size_t integerStart = at_;
        const std::size_t integerDigits = digits();
        if (integerDigits == 0 || (integerDigits > 1 && text_[integerStart] == '0')) return std::nullopt;
        bool integral = true;
        if (peek() == '.') {
            ++at_;
            integral = false;
            if (digits() == 0) return std::nullopt;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            integral = false;
            if (peek() == '+' || peek() == '-') ++at_;
            if (digits() == 0) return std::nullopt;
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + at_;
        if (integral && negative) {
            std::int64_t value = 0;
            if (std::from_chars(first, last, value).ec == std::errc{}) return static_cast<double>(value);
        } else if (integral) {
            std::uint64_t value = 0;
            if (std::from_chars(first, last, value).ec == std::errc{}) return static_cast<double>(value);
        }
        double value = 0;
        if (std::from_chars(first, last, value).ec != std::errc{}) return std::nullopt;
        return value;
    }

    bool item() {
        if (!punctuation('{')) return false;
        pending_.seen = 0;
        pending_.completedRaw.reset();
        do {
            const auto name = string();
            if (!name || !punctuation(':') || !startMember(*name) || !value()) return false;
        } while (punctuation(','));
        return punctuation('}') && finishItem();
    }

    // Members usually arrive in field order: try the next one before searching.
    bool startMember(std::string_view name) {
        std::size_t index = static_cast<std::size_t>(field_) + 1;
        if (index >= itemfields::kCount || itemfields::kKeys[index] != name) {
            index = 0;
            while (index < itemfields::kCount && itemfields::kKeys[index] != name) ++index;
            if (index == itemfields::kCount) return false;
        }
        field_ = static_cast<Field>(index);
        if ((pending_.seen & bit(field_)) != 0) return false;  // the tree keeps the last of repeated members
        pending_.seen |= bit(field_);
        return true;
    }

    bool value() {
        switch (field_) {
        case Field::completedRaw:
            skipSpace();
            if (text_.substr(at_).starts_with("true")) pending_.completedRaw = true;
            else if (text_.substr(at_).starts_with("false")) pending_.completedRaw = false;
            else return false;
            at_ += *pending_.completedRaw ? 4 : 5;
            return true;
        case Field::timelinePositionSeconds: return assign(pending_.timelinePositionSeconds, number());
        case Field::frameRateFPS: return assign(pending_.frameRateFPS, number());
        default: break;
        }
        const auto text = string();
        if (!text) return false;
        switch (field_) {
        case Field::id: return assign(pending_.id, platform::UUID::parse(*text));
        case Field::kind: return assign(pending_.kind, markerKindFromRawValue(*text));
        case Field::status: return assign(pending_.status, todoStatusFromRawValue(*text));
        case Field::assigneeSource: return assign(pending_.assigneeSource, assigneeSourceFromRawValue(*text));
        default: pending_.texts[static_cast<std::size_t>(field_)].assign(*text); return true;
        }
    }

    template <class T>
    static bool assign(T& target, const std::optional<T>& value) {
        if (value) target = *value;
        return value.has_value();
    }

    std::string takeText(Field field) { return std::move(pending_.texts[static_cast<std::size_t>(field)]); }
    std::optional<std::string> takeOptionalText(Field field) {
        if ((pending_.seen & bit(field)) == 0) return std::nullopt;
        return takeText(field);
    }

    bool finishItem() {
        if ((pending_.seen | kOptionalMembers) != kAllMembers) return false;
        const Pending& p = pending_;
        items_.emplace_back(p.id, p.kind, p.status, p.completedRaw, takeText(Field::text), takeText(Field::rawText),
                            takeOptionalText(Field::chapterNote), takeOptionalText(Field::assigneeName),
                            p.assigneeSource, takeOptionalText(Field::roleUID), takeOptionalText(Field::roleName),
                            takeOptionalText(Field::topLevelRoleUID), takeText(Field::libraryName),
                            takeText(Field::libraryBookmarkID), takeText(Field::eventName),
                            takeText(Field::timelineID), takeText(Field::timelineName), p.timelinePositionSeconds,
                            takeText(Field::timelineTimecode), p.frameRateFPS);
        field_ = Field::frameRateFPS;  // so that the next item's first member is tried first
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string scratch_;  // unescaped strings
    Field field_ = Field::frameRateFPS;
    Pending pending_;
    std::vector<TodoItem> items_;
};

}  // namespace

std::optional<std::string> write(const std::vector<TodoItem>& items) {
    Writer writer(estimatedSize(items));
    writer.raw(R"({")");
    writer.raw(kCaseName);
    writer.raw(R"(":{")");
    writer.raw(kListName);
    writer.raw(R"(":[)");
    bool ok = true;
    for (std::size_t i = 0; i < items.size() && ok; ++i) {
        writer.raw(i == 0 ? "{" : ",{");
        bool first = true;
        itemfields::visitMembers(items[i], [&](Field field, auto value) {
            if (!ok) return;
            writer.raw(first ? "\"" : ",\"");
            first = false;
            writer.raw(itemfields::key(field));  // plain ASCII names: nothing to escape
            writer.raw("\":");
            if constexpr (std::is_same_v<decltype(value), std::string_view>)
                ok = writer.string(value);
            else if constexpr (std::is_same_v<decltype(value), double>)
                ok = writer.number(value);
            else
                writer.boolean(value);
        });
        writer.raw("}");
    }
    if (!ok) return std::nullopt;
    writer.raw("]}}");
    return writer.take();
}

std::optional<std::vector<TodoItem>> read(std::string_view text) { return Reader(text).read(); }

}  // namespace quillo::todolisttext
