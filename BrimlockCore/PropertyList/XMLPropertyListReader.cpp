#include "BrimlockCore/PropertyList/XMLPropertyListReader.h"

#include "BrimlockCore/XML/ExpatParser.h"
#include "BrimlockCore/PropertyList/PropertyListError.h"
#include "BrimlockCore/XML/XMLSecurityError.h"

#include <array>
#include <bit>
#include <charconv>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace brimlock::XMLPropertyListReader {

namespace {

enum class Element { plist, dict, array, key, string, integer, real, date, data, trueValue, falseValue };

constexpr auto kElementNames = std::to_array<std::pair<std::string_view, Element>>({
    {"plist", Element::plist},
    {"dict", Element::dict},
    {"array", Element::array},
    {"key", Element::key},
    {"string", Element::string},
    {"integer", Element::integer},
    {"real", Element::real},
    {"date", Element::date},
    {"data", Element::data},
    {"true", Element::trueValue},
    {"false", Element::falseValue},
});

// Seconds from 1970-01-01 to 2001-01-01, the property-list date epoch.
constexpr std::int64_t kSecondsFrom1970To2001 = 978'307'200;

[[noreturn]] void fail(const std::string& what) { throw PropertyListError("Malformed XML property list: " + what); }

bool isSpace(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmed(std::string_view text) noexcept {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool isContainer(Element element) noexcept { return element == Element::dict || element == Element::array; }

// Decimal, optionally signed; INT64_MIN...UINT64_MAX.
PropertyListStorage::Node parseInteger(std::string_view text) {
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size()) fail("bad integer");
    if (error == std::errc::result_out_of_range) fail("integer outside the 64-bit range");
    const auto kind = static_cast<std::uint8_t>(PropertyListKind::integer);
    constexpr auto kMostNegative = std::uint64_t{1} << 63;
    if (negative) {
        if (magnitude > kMostNegative) fail("integer outside the 64-bit range");
        return {kind, 0, 0, ~magnitude + 1};
    }
    return {kind, magnitude >= kMostNegative ? PropertyListStorage::kUnsignedAboveInt64 : std::uint8_t{0}, 0,
            magnitude};
}

double parseReal(std::string_view text) {
    text = trimmed(text);
    if (text.starts_with('+')) text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) fail("bad real");
    return value;
}

std::optional<int> digits(std::string_view text, std::size_t position, std::size_t count) noexcept {
    int value = 0;
    for (std::size_t i = position; i < position + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days from 1970-01-01 to the given proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) noexcept {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// "YYYY-MM-DDTHH:MM:SSZ", in seconds since 2001-01-01T00:00:00Z.
double parseDate(std::string_view text) {
    text = trimmed(text);
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        fail("bad date");
    const auto year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) fail("bad date");
    const bool leap = (*year % 4 == 0 && *year % 100 != 0) || *year % 400 == 0;
    constexpr std::array<int, 12> kMonthLengths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (*month < 1 || *month > 12 || *day < 1 ||
        *day > kMonthLengths[static_cast<std::size_t>(*month - 1)] + (*month == 2 && leap ? 1 : 0) || *hour > 23 ||
        *minute > 59 || *second > 59)
        fail("bad date");
    const std::int64_t days = daysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
    const std::int64_t seconds = days * 86'400 + *hour * 3'600 + *minute * 60 + *second;
    return static_cast<double>(seconds - kSecondsFrom1970To2001);
}

// Base64 with whitespace anywhere and optional "=" padding at the end.
void appendBase64(std::pmr::string& out, std::string_view text) {
    std::uint32_t buffer = 0;
    int bits = 0;
    bool padded = false;
    for (const char c : text) {
        if (isSpace(c)) continue;
        if (c == '=') {
            padded = true;
            continue;
        }
        int value = -1;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        if (value < 0 || padded) fail("bad base64 data");
        buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
}

class Builder : public ExpatParser::Handler {
public:
    Builder(PropertyListStorage& storage, int maximumDepth) : storage_(storage), maximumDepth_(maximumDepth) {}

    void startElement(std::string_view name, const ExpatParser::Attributes&) override {
        const Element element = elementNamed(name);
        if (open_.empty()) {
            if (element == Element::key) fail("<key> outside a dictionary");
        } else {
            checkPlacement(open_.back(), element);
        }
        if (isContainer(element) && ++containerDepth_ > maximumDepth_) fail("nesting too deep");
        open_.push_back(Open{element, children_.size()});
        text_.clear();
    }

    void characterData(std::string_view text) override {
        if (!open_.empty() && !isContainer(open_.back().element) && open_.back().element != Element::plist) {
            text_.append(text);
        } else if (trimmed(text).size() != 0) {
            fail("text outside a value");
        }
    }

    void endElement(std::string_view) override {
        // Expat has matched the end tag to the open element.
        const Open open = open_.back();
        open_.pop_back();
        if (open.element == Element::plist) {
            if (children_.size() != open.firstChild + 1) fail("<plist> must hold exactly one value");
            finish(children_.back());
            return;
        }
        const std::uint32_t node = build(open);
        if (isContainer(open.element)) --containerDepth_;
        if (open_.empty())
            finish(node);
        else
            children_.push_back(node);
    }

    std::optional<std::uint32_t> root() const noexcept { return root_; }

private:
    struct Open {
        Element element;
        std::size_t firstChild;  // in children_
    };

    static Element elementNamed(std::string_view name) {
        for (const auto& [elementName, element] : kElementNames) {
            if (elementName == name) return element;
        }
        fail("unknown element <" + std::string(name) + ">");
    }

    void checkPlacement(const Open& parent, Element element) const {
        const bool atKey = parent.element == Element::dict && (children_.size() - parent.firstChild) % 2 == 0;
        switch (parent.element) {
        case Element::plist:
            if (element == Element::plist || element == Element::key) fail("misplaced element in <plist>");
            if (children_.size() != parent.firstChild) fail("<plist> must hold exactly one value");
            return;
        case Element::dict:
            // Pairs alternate: a <key>, then one value.
            if (atKey != (element == Element::key))
                fail(atKey ? "dictionary value without a <key>" : "<key> without a value");
            if (element == Element::plist) fail("misplaced <plist>");
            return;
        case Element::array:
            if (element == Element::key || element == Element::plist) fail("misplaced element in <array>");
            return;
        default: fail("element inside a scalar value");
        }
    }

    std::uint32_t build(const Open& open) {
        switch (open.element) {
        case Element::key:
        case Element::string: return storage_.appendBytes(PropertyListKind::string, text_);
        case Element::data: {
            const std::size_t offset = storage_.bytes.size();
            appendBase64(storage_.bytes, text_);
            return storage_.appendNode(PropertyListKind::data,
                                       static_cast<std::uint32_t>(storage_.bytes.size() - offset), offset);
        }
        case Element::integer: {
            const auto node = parseInteger(text_);
            return storage_.appendNode(PropertyListKind::integer, 0, node.payload, node.flags);
        }
        case Element::real:
            return storage_.appendNode(PropertyListKind::real, 0, std::bit_cast<std::uint64_t>(parseReal(text_)));
        case Element::date:
            return storage_.appendNode(PropertyListKind::date, 0, std::bit_cast<std::uint64_t>(parseDate(text_)));
        case Element::trueValue:
        case Element::falseValue:
            if (!trimmed(text_).empty()) fail("text inside a boolean");
            return storage_.appendNode(PropertyListKind::boolean, 0, open.element == Element::trueValue ? 1 : 0);
        case Element::dict:
        case Element::array: {
            const std::size_t count = children_.size() - open.firstChild;
            if (open.element == Element::dict && count % 2 != 0) fail("<key> without a value");
            const std::span<const std::uint32_t> children(children_.data() + open.firstChild, count);
            const auto kind = open.element == Element::dict ? PropertyListKind::dictionary : PropertyListKind::array;
            const std::uint32_t node = storage_.appendContainer(kind, children);
            children_.resize(open.firstChild);
            return node;
        }
        case Element::plist: break;
        }
        fail("misplaced <plist>");
    }

    void finish(std::uint32_t node) {
        root_ = node;
        children_.clear();
    }

    PropertyListStorage& storage_;
    int maximumDepth_;
    int containerDepth_ = 0;
    std::vector<Open> open_;
    // The finished children of every open container, innermost last.
    std::vector<std::uint32_t> children_;
    std::string text_;
    std::optional<std::uint32_t> root_;
};

}  // namespace

std::shared_ptr<PropertyListStorage> read(std::span<const std::uint8_t> data, int maximumDepth,
                                          std::pmr::memory_resource* memory) {
    auto storage = makePropertyListStorage(memory);
    Builder builder(*storage, maximumDepth);
    ExpatParser::Result result;
    try {
        result = ExpatParser::parse(data, "XML property list", builder);
    } catch (const XMLSecurityError& error) {
        throw PropertyListError(error.what());
    }
    if (!result.wellFormed) fail(result.errorDescription + " at line " + std::to_string(result.errorLine));
    if (!builder.root()) fail("no value");
    storage->root = *builder.root();
    return storage;
}

}  // namespace brimlock::XMLPropertyListReader
