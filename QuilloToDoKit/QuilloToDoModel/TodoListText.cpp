#include "QuilloToDoKit/QuilloToDoModel/TodoListText.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoItemFields.h"

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Foundation/UnicodeText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace quillo::todolisttext {

namespace {

constexpr std::string_view kCaseName = "todoList";
constexpr std::string_view kListName = "_0";

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
        bool checked = false;  // the text from the first non-ASCII byte on is well-formed
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x80) {
                if (!checked && !platform::isValidUTF8(text.substr(i))) return false;
                checked = true;
                continue;
            }
            if (c >= 0x20 && c != '"' && c != '\\') continue;
            out_.append(text.substr(copied, i - copied));
            escape(c);
            copied = i + 1;
        }
        out_.append(text.substr(copied));
        out_ += '"';
        return true;
    }

    // False when not finite.
    bool number(double value) {
        if (!std::isfinite(value)) return false;
        platform::appendJSONNumber(out_, value);
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
        itemfields::visitMembers(item, [&](std::string_view key, auto value) {
            size += key.size() + 6;  // quotes, colon, comma, value quotes
            if constexpr (std::is_same_v<decltype(value), std::string_view>)
                size += value.size();
            else
                size += 25;  // the longest double, "-1.2345678901234567e-308"
        });
    }
    return size;
}

// Bit N stands for member N of itemfields::kMembers.
constexpr std::uint32_t bit(std::size_t member) noexcept { return std::uint32_t{1} << member; }
constexpr std::uint32_t kAllMembers = (std::uint32_t{1} << itemfields::kCount) - 1;
constexpr std::uint32_t kOptionalMembers = [] {
    std::uint32_t bits = 0;
    std::size_t index = 0;
    itemfields::forEachMember([&](const auto& member) {
        using T = typename std::remove_cvref_t<decltype(member)>::Type;
        if (itemfields::isOptional<T>) bits |= bit(index);
        ++index;
    });
    return bits;
}();

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
    unsigned char peek() const noexcept { return at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : 0; }

    void skipSpace() noexcept {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
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
        bool ascii = true;
        for (;;) {
            const unsigned char c = peek();
            if (c == '"') {
                ++at_;
                // Escapes are ASCII and unescape to well-formed UTF-8: the bytes as written decide.
                const std::string_view raw = text_.substr(start, at_ - 1 - start);
                if (!ascii && !platform::isValidUTF8(raw)) return std::nullopt;
                return escaped ? std::string_view(scratch_) : raw;
            } else if (c == '\\') {
                if (!escaped) scratch_.assign(text_.substr(start, at_ - start));
                escaped = true;
                ++at_;
                if (!unescape()) return std::nullopt;
            } else if (c < 0x20) {  // also the end of the text
                return std::nullopt;
            } else {
                if (c >= 0x80) ascii = false;
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
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10U;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10U;
            else
                return std::nullopt;
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

    // Reads straight into a new last item, which a failure leaves behind: the whole read fails then.
    bool item() {
        if (!punctuation('{')) return false;
        items_.emplace_back();
        seen_ = 0;
        do {
            const auto name = string();
            if (!name || !punctuation(':') || !startMember(*name)) return false;
            if (!itemfields::withMember(member_,
                                        [this](const auto& member) { return value(items_.back().*member.field); }))
                return false;
        } while (punctuation(','));
        if (!punctuation('}') || (seen_ | kOptionalMembers) != kAllMembers) return false;
        member_ = itemfields::kCount - 1;  // so that the next item's first member is tried first
        return true;
    }

    // Members usually arrive in order: try the next one before searching.
    bool startMember(std::string_view name) {
        std::size_t index = member_ + 1;
        if (index >= itemfields::kCount || itemfields::kKeys[index] != name) {
            index = 0;
            while (index < itemfields::kCount && itemfields::kKeys[index] != name) ++index;
            if (index == itemfields::kCount) return false;
        }
        member_ = index;
        if ((seen_ & bit(member_)) != 0) return false;  // the tree keeps the last of repeated members
        seen_ |= bit(member_);
        return true;
    }

    template <class T>
    bool value(std::optional<T>& target) {
        return value(target.emplace());
    }

    bool value(bool& target) {
        skipSpace();
        const std::string_view rest = text_.substr(at_);
        if (rest.starts_with("true"))
            target = true;
        else if (rest.starts_with("false"))
            target = false;
        else
            return false;
        at_ += target ? 4 : 5;
        return true;
    }

    bool value(double& target) { return assign(target, number()); }

    bool value(std::string& target) {
        const auto text = string();
        if (text) target.assign(*text);
        return text.has_value();
    }

    template <class T>
    bool value(T& target) {
        const auto text = string();
        return text && assign(target, itemfields::TextCoded<T>::parse(*text));
    }

    template <class T>
    static bool assign(T& target, const std::optional<T>& value) {
        if (value) target = *value;
        return value.has_value();
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string scratch_;                          // unescaped strings
    std::size_t member_ = itemfields::kCount - 1;  // the member being read
    std::uint32_t seen_ = 0;                       // the current item's members so far, as bits
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
        itemfields::visitMembers(items[i], [&](std::string_view key, auto value) {
            if (!ok) return;
            writer.raw(first ? "\"" : ",\"");
            first = false;
            writer.raw(key);  // plain ASCII names: nothing to escape
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
