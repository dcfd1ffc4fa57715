#pragma once

// Writers of test property lists: a byte-level bplist00 writer with knobs for malformed layouts,
// and a small value tree written as binary or XML, with keyed-archive helpers.

#include <bit>
#include <cstdio>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace plisttest {

using Bytes = std::vector<std::uint8_t>;

inline void appendBigEndian(Bytes& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Objects are written in the order added; each one's index is what add() returned.
class BinaryPlistWriter {
public:
    struct Layout {
        std::size_t referenceSize = 0;  // 0: the smallest that fits
        std::size_t offsetSize = 0;     // 0: the smallest that fits
        std::optional<std::uint64_t> objectCount{}, topObject{}, tableOffset{};
        std::optional<std::uint64_t> overrideOffset{};  // written for object `overriddenObject`
        std::size_t overriddenObject = 0;
        std::size_t truncateBy = 0;  // bytes cut from the end of the result
    };

    std::size_t raw(Bytes bytes) { return push(std::move(bytes), {}); }
    std::size_t string(std::string_view ascii) { return push(with(counted(0x5, ascii.size()), bytesOf(ascii)), {}); }
    std::size_t utf16(std::u16string_view units) {
        Bytes body;
        for (const char16_t unit : units) appendBigEndian(body, unit, 2);
        return push(with(counted(0x6, units.size()), body), {});
    }
    std::size_t integer(std::int64_t value) {
        Bytes out{0x13};
        appendBigEndian(out, static_cast<std::uint64_t>(value), 8);
        return push(std::move(out), {});
    }
    std::size_t integer128(std::uint64_t high, std::uint64_t low) {
        Bytes out{0x14};
        appendBigEndian(out, high, 8);
        appendBigEndian(out, low, 8);
        return push(std::move(out), {});
    }
    std::size_t real(double value) {
        Bytes out{0x23};
        appendBigEndian(out, std::bit_cast<std::uint64_t>(value), 8);
        return push(std::move(out), {});
    }
    std::size_t date(double seconds) {
        Bytes out{0x33};
        appendBigEndian(out, std::bit_cast<std::uint64_t>(seconds), 8);
        return push(std::move(out), {});
    }
    std::size_t boolean(bool value) { return push(Bytes{static_cast<std::uint8_t>(value ? 0x09 : 0x08)}, {}); }
    std::size_t data(const Bytes& bytes) { return push(with(counted(0x4, bytes.size()), bytes), {}); }
    std::size_t uid(std::uint64_t index) {
        const std::size_t width = index <= 0xFF ? 1 : index <= 0xFFFF ? 2 : index <= 0xFFFFFFFF ? 4 : 8;
        Bytes out{static_cast<std::uint8_t>(0x80 | (width - 1))};
        appendBigEndian(out, index, width);
        return push(std::move(out), {});
    }
    std::size_t array(std::vector<std::uint64_t> elements) {
        auto head = counted(0xA, elements.size());
        return push(std::move(head), std::move(elements));
    }
    std::size_t dictionary(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& pairs) {
        std::vector<std::uint64_t> references;
        for (const auto& pair : pairs) references.push_back(pair.first);
        for (const auto& pair : pairs) references.push_back(pair.second);
        return push(counted(0xD, pairs.size()), std::move(references));
    }
    std::size_t count() const { return objects_.size(); }

    Bytes write(std::size_t top) const { return write(top, Layout{}); }
    Bytes write(std::size_t top, const Layout& layout) const {
        const std::size_t referenceSize = layout.referenceSize ? layout.referenceSize : widthFor(objects_.size());
        Bytes out = bytesOf("bplist00");
        std::vector<std::uint64_t> offsets;
        for (const auto& object : objects_) {
            offsets.push_back(out.size());
            out.insert(out.end(), object.head.begin(), object.head.end());
            for (const auto reference : object.references) appendBigEndian(out, reference, referenceSize);
        }
        if (layout.overrideOffset) offsets.at(layout.overriddenObject) = *layout.overrideOffset;
        const std::uint64_t tableOffset = out.size();
        const std::size_t offsetSize = layout.offsetSize ? layout.offsetSize : widthFor(tableOffset);
        for (const auto offset : offsets) appendBigEndian(out, offset, offsetSize);
        out.insert(out.end(), 6, 0);
        out.push_back(static_cast<std::uint8_t>(offsetSize));
        out.push_back(static_cast<std::uint8_t>(referenceSize));
        appendBigEndian(out, layout.objectCount.value_or(objects_.size()), 8);
        appendBigEndian(out, layout.topObject.value_or(top), 8);
        appendBigEndian(out, layout.tableOffset.value_or(tableOffset), 8);
        out.resize(out.size() - layout.truncateBy);
        return out;
    }

private:
    struct Object {
        Bytes head;
        std::vector<std::uint64_t> references;
    };

    static std::size_t widthFor(std::uint64_t value) {
        return value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : value <= 0xFFFFFFFF ? 4 : 8;
    }
    static Bytes counted(std::uint8_t type, std::size_t count) {
        if (count < 15) return Bytes{static_cast<std::uint8_t>((type << 4) | count)};
        const std::size_t width = widthFor(count);
        Bytes out{static_cast<std::uint8_t>((type << 4) | 0xF),
                  static_cast<std::uint8_t>(0x10 | std::countr_zero(width))};
        appendBigEndian(out, count, width);
        return out;
    }
    static Bytes with(Bytes head, const Bytes& body) {
        head.insert(head.end(), body.begin(), body.end());
        return head;
    }
    std::size_t push(Bytes head, std::vector<std::uint64_t> references) {
        objects_.push_back(Object{std::move(head), std::move(references)});
        return objects_.size() - 1;
    }

    std::vector<Object> objects_;
};

// A keyed-archive reference in a test value.
struct Ref {
    std::int64_t index;
};

// A property-list value for tests, written out in either form.
struct Value {
    using Array = std::vector<Value>;
    using Dictionary = std::vector<std::pair<std::string, Value>>;
    std::variant<std::string, std::int64_t, double, bool, Bytes, Ref, Array, Dictionary> v;

    Value(const char* text) : v(std::string(text)) {}
    Value(std::string text) : v(std::move(text)) {}
    Value(int number) : v(std::int64_t{number}) {}
    Value(std::int64_t number) : v(number) {}
    Value(double number) : v(number) {}
    Value(bool flag) : v(flag) {}
    Value(Bytes bytes) : v(std::move(bytes)) {}
    Value(Ref reference) : v(reference) {}
    Value(Array array) : v(std::move(array)) {}
    Value(Dictionary dictionary) : v(std::move(dictionary)) {}
};

inline Value::Array array(std::vector<Value> elements) { return elements; }
inline Value::Dictionary dict(std::vector<std::pair<std::string, Value>> pairs) { return pairs; }
inline Value::Array refs(std::initializer_list<std::int64_t> indices) {
    Value::Array out;
    for (const auto index : indices) out.emplace_back(Ref{index});
    return out;
}

// Every node becomes an object of its own; references become UIDs.
inline std::uint64_t writeBinary(BinaryPlistWriter& writer, const Value& value) {
    struct Visitor {
        BinaryPlistWriter& w;
        std::uint64_t operator()(const std::string& s) const { return w.string(s); }
        std::uint64_t operator()(std::int64_t n) const { return w.integer(n); }
        std::uint64_t operator()(double d) const { return w.real(d); }
        std::uint64_t operator()(bool b) const { return w.boolean(b); }
        std::uint64_t operator()(const Bytes& b) const { return w.data(b); }
        std::uint64_t operator()(const Ref& r) const { return w.uid(static_cast<std::uint64_t>(r.index)); }
        std::uint64_t operator()(const Value::Array& a) const {
            std::vector<std::uint64_t> elements;
            for (const auto& element : a) elements.push_back(writeBinary(w, element));
            return w.array(std::move(elements));
        }
        std::uint64_t operator()(const Value::Dictionary& d) const {
            std::vector<std::pair<std::uint64_t, std::uint64_t>> pairs;
            for (const auto& [key, element] : d) {
                const auto keyObject = w.string(key);
                pairs.emplace_back(keyObject, writeBinary(w, element));
            }
            return w.dictionary(pairs);
        }
    };
    return std::visit(Visitor{writer}, value.v);
}

inline Bytes toBinary(const Value& value) {
    BinaryPlistWriter writer;
    const auto top = writeBinary(writer, value);
    return writer.write(top);
}

inline std::string escapedXML(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

inline std::string base64(const Bytes& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t chunk = (std::uint32_t{bytes[i]} << 16) | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                                    (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

inline void writeXML(std::string& out, const Value& value) {
    struct Visitor {
        std::string& o;
        void operator()(const std::string& s) const { o += "<string>" + escapedXML(s) + "</string>"; }
        void operator()(std::int64_t n) const { o += "<integer>" + std::to_string(n) + "</integer>"; }
        void operator()(double d) const {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.17g", d);
            o += std::string("<real>") + buffer + "</real>";
        }
        void operator()(bool b) const { o += b ? "<true/>" : "<false/>"; }
        void operator()(const Bytes& b) const { o += "<data>" + base64(b) + "</data>"; }
        void operator()(const Ref& r) const {
            o += "<dict><key>CF$UID</key><integer>" + std::to_string(r.index) + "</integer></dict>";
        }
        void operator()(const Value::Array& a) const {
            o += "<array>";
            for (const auto& element : a) writeXML(o, element);
            o += "</array>";
        }
        void operator()(const Value::Dictionary& d) const {
            o += "<dict>";
            for (const auto& [key, element] : d) {
                o += "<key>" + escapedXML(key) + "</key>";
                writeXML(o, element);
            }
            o += "</dict>";
        }
    };
    std::visit(Visitor{out}, value.v);
}

inline Bytes toXML(const Value& value) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    writeXML(out, value);
    out += "\n</plist>\n";
    return bytesOf(out);
}

// A keyed archive whose "$objects" are the given objects (entry 0 should be "$null").
inline Value keyedArchive(std::vector<Value> objects) {
    return dict({{"$version", 100000},
                 {"$archiver", "NSKeyedArchiver"},
                 {"$top", dict({{"root", Ref{1}}})},
                 {"$objects", Value::Array(std::move(objects))}});
}

// An archived dictionary: parallel arrays of keys and values, plus a class reference.
inline Value archivedDictionary(Value::Array keys, Value::Array values, std::int64_t classIndex = 0) {
    return dict({{"NS.keys", std::move(keys)}, {"NS.objects", std::move(values)}, {"$class", Ref{classIndex}}});
}

inline Value archivedArray(Value::Array elements, std::int64_t classIndex = 0) {
    return dict({{"NS.objects", std::move(elements)}, {"$class", Ref{classIndex}}});
}

}  // namespace plisttest
