#include "BrimlockCore/PropertyList/BinaryPropertyListReader.h"

#include "BrimlockCore/PropertyList/PropertyListError.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace brimlock::BinaryPropertyListReader {

namespace {

using Node = PropertyListStorage::Node;

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;
constexpr std::uint8_t kReferenceSizeLimit = 8;

[[noreturn]] void fail(const std::string& what) { throw PropertyListError("Malformed binary property list: " + what); }

std::size_t checkedAdd(std::size_t a, std::size_t b) {
    std::size_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) fail("size overflows");
    return sum;
}

std::size_t checkedMultiply(std::size_t a, std::size_t b) {
    std::size_t product = 0;
    if (__builtin_mul_overflow(a, b, &product)) fail("size overflows");
    return product;
}

// `width` (1...8) bytes at `offset`, big-endian; the caller has checked the bounds.
std::uint64_t bigEndian(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) noexcept {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | bytes[offset + i];
    return value;
}

void appendCodePoint(std::pmr::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-16BE to UTF-8; an unpaired surrogate becomes U+FFFD.
void appendUTF16BigEndian(std::pmr::string& out, std::span<const std::uint8_t> units) {
    const std::size_t count = units.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const auto unit = static_cast<char32_t>(bigEndian(units, 2 * i, 2));
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
            const auto low = static_cast<char32_t>(bigEndian(units, 2 * (i + 1), 2));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        appendCodePoint(out, (unit >= 0xD800 && unit <= 0xDFFF) ? char32_t{0xFFFD} : unit);
    }
}

class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, int maximumDepth, PropertyListStorage& storage)
        : bytes_(bytes), maximumDepth_(maximumDepth), storage_(storage) {}

    void read() {
        validateContainer();
        // From here on: the offset table lies in the buffer, every offset in it points into the
        // object area [kHeaderSize, objectsEnd_), and every index below objectCount_ fits 32 bits.
        storage_.nodes.assign(objectCount_, Node{PropertyListStorage::kPending, 0, 0, 0});
        storage_.bytes.reserve(objectsEnd_ - kHeaderSize);
        storage_.children.reserve(objectCount_);
        decode(static_cast<std::uint32_t>(topObject_), 0);
        storage_.root = static_cast<std::uint32_t>(topObject_);
    }

private:
    void validateContainer() {
        const std::size_t size = bytes_.size();
        // A header, at least one object byte and the trailer.
        if (size < kHeaderSize + 1 + kTrailerSize) fail("too short");
        // Only version 00 exists.
        if (std::memcmp(bytes_.data(), "bplist00", kHeaderSize) != 0) fail("unsupported version");
        const std::size_t trailer = size - kTrailerSize;
        offsetSize_ = bytes_[trailer + 6];
        referenceSize_ = bytes_[trailer + 7];
        const std::uint64_t objectCount = bigEndian(bytes_, trailer + 8, 8);
        const std::uint64_t topObject = bigEndian(bytes_, trailer + 16, 8);
        const std::uint64_t tableOffset = bigEndian(bytes_, trailer + 24, 8);
        // Offsets and references are 1 to 8 bytes wide.
        if (offsetSize_ < 1 || offsetSize_ > kReferenceSizeLimit) fail("bad offset size");
        if (referenceSize_ < 1 || referenceSize_ > kReferenceSizeLimit) fail("bad reference size");
        // At least one object, the top object among them.
        if (objectCount < 1 || topObject >= objectCount) fail("bad object count or top object");
        // Every object index must fit in a reference of the declared width.
        if (referenceSize_ < 8 && objectCount > (std::uint64_t{1} << (8 * referenceSize_)))
            fail("references too narrow for the object count");
        // The offset table starts after the header and at least one object byte...
        if (tableOffset < kHeaderSize + 1 || tableOffset >= trailer) fail("offset table out of range");
        // ...and ends before the trailer (this also bounds the object count by the buffer size).
        if (objectCount > trailer) fail("object count exceeds the data");
        const std::size_t tableEnd = checkedAdd(tableOffset, checkedMultiply(objectCount, offsetSize_));
        if (tableEnd > trailer) fail("offset table overruns the trailer");
        objectCount_ = objectCount;
        topObject_ = topObject;
        objectsEnd_ = tableOffset;
        // Every object starts after the header and before the offset table.
        for (std::size_t i = 0; i < objectCount_; ++i) {
            const std::uint64_t offset = bigEndian(bytes_, objectsEnd_ + i * offsetSize_, offsetSize_);
            if (offset < kHeaderSize || offset >= objectsEnd_) fail("object offset out of range");
        }
    }

    std::size_t objectOffset(std::uint32_t index) const noexcept {
        return bigEndian(bytes_, objectsEnd_ + std::size_t{index} * offsetSize_, offsetSize_);
    }

    // Fails unless `length` bytes from `offset` lie inside the object area; returns their end.
    std::size_t require(std::size_t offset, std::size_t length) const {
        const std::size_t end = checkedAdd(offset, length);
        if (end > objectsEnd_) fail("object overruns the object area");
        return end;
    }

    // The element count of a data, string or container object whose marker's low nibble is `info`;
    // moves `position` past an extended count.
    std::size_t count(std::uint8_t info, std::size_t& position) const {
        if (info != 0x0F) return info;
        require(position, 1);
        const std::uint8_t marker = bytes_[position];
        // An extended count is an integer object of 1, 2, 4 or 8 bytes.
        if ((marker >> 4) != 0x1 || (marker & 0x0F) > 3) fail("bad extended count");
        const std::size_t width = std::size_t{1} << (marker & 0x0F);
        require(position + 1, width);
        const std::uint64_t value = bigEndian(bytes_, position + 1, width);
        position += 1 + width;
        // No count can exceed the object area, whose size fits size_t.
        if (value > objectsEnd_) fail("count exceeds the data");
        return static_cast<std::size_t>(value);
    }

    void setNode(std::uint32_t index, PropertyListKind kind, std::uint32_t count, std::uint64_t payload,
                 std::uint8_t flags = 0) noexcept {
        storage_.nodes[index] = Node{static_cast<std::uint8_t>(kind), flags, count, payload};
    }

    void setBytes(std::uint32_t index, PropertyListKind kind, std::size_t offset) {
        setNode(index, kind, static_cast<std::uint32_t>(storage_.bytes.size() - offset), offset);
    }

    void decodeInteger(std::uint32_t index, std::uint8_t info, std::size_t position) {
        // Integers are 1, 2, 4, 8 or 16 bytes; those under 8 bytes are unsigned.
        if (info > 4) fail("bad integer width");
        const std::size_t width = std::size_t{1} << info;
        require(position, width);
        if (width <= 8) {
            setNode(index, PropertyListKind::integer, 0, bigEndian(bytes_, position, width));
            return;
        }
        const std::uint64_t high = bigEndian(bytes_, position, 8);
        const std::uint64_t low = bigEndian(bytes_, position + 8, 8);
        const bool lowIsNegative = (low >> 63) != 0;
        if (high == 0) {
            setNode(index, PropertyListKind::integer, 0, low,
                    lowIsNegative ? PropertyListStorage::kUnsignedAboveInt64 : 0);
        } else if (high == ~std::uint64_t{0} && lowIsNegative) {
            setNode(index, PropertyListKind::integer, 0, low);
        } else {
            fail("integer outside the 64-bit range");
        }
    }

    void decodeString(std::uint32_t index, std::uint8_t type, std::uint8_t info, std::size_t position) {
        const std::size_t units = count(info, position);
        const std::size_t length = type == 0x6 ? checkedMultiply(units, 2) : units;
        require(position, length);
        const auto raw = bytes_.subspan(position, length);
        std::pmr::string& pool = storage_.bytes;
        const std::size_t offset = pool.size();
        if (type == 0x6) {
            appendUTF16BigEndian(pool, raw);
        } else {
            const std::string_view text(reinterpret_cast<const char*>(raw.data()), raw.size());
            if (std::all_of(raw.begin(), raw.end(), [](std::uint8_t c) { return c < 0x80; }))
                pool.append(text);
            else
                pool.append(platform::sanitizedUTF8(text));
        }
        setBytes(index, PropertyListKind::string, offset);
    }

    // Returns the container's height: 1 + the greatest height among its children.
    int decodeContainer(std::uint32_t index, std::uint8_t type, std::uint8_t info, std::size_t position, int depth) {
        // Containers nest at most maximumDepth_ deep along one path.
        if (depth >= maximumDepth_) fail("nesting too deep");
        const std::size_t entries = count(info, position);
        const bool isDictionary = type == 0xD;
        const std::size_t references = isDictionary ? checkedMultiply(entries, 2) : entries;
        require(position, checkedMultiply(references, referenceSize_));
        // Now trusted: `references` fits in the object area, so in 32 bits.
        const std::size_t first = storage_.children.size();
        storage_.children.resize(first + references);
        for (std::size_t i = 0; i < references; ++i) {
            const std::uint64_t reference = bigEndian(bytes_, position + i * referenceSize_, referenceSize_);
            // Every reference names an existing object.
            if (reference >= objectCount_) fail("reference out of range");
            storage_.children[first + i] = static_cast<std::uint32_t>(reference);
        }
        storage_.nodes[index].kind = PropertyListStorage::kDecoding;
        int childHeight = 0;
        for (std::size_t i = 0; i < references; ++i) {
            const std::uint32_t child = storage_.children[first + i];
            childHeight = std::max(childHeight, decode(child, depth + 1));
            // Dictionary keys (the first half of the references) are strings.
            if (isDictionary && i < entries &&
                storage_.nodes[child].kind != static_cast<std::uint8_t>(PropertyListKind::string))
                fail("dictionary key is not a string");
        }
        if (isDictionary) interleavePairs(first, entries);
        const int height = childHeight + 1;
        setNode(index, isDictionary ? PropertyListKind::dictionary : PropertyListKind::array,
                static_cast<std::uint32_t>(entries), first, static_cast<std::uint8_t>(height));
        return height;
    }

    // The file lists a dictionary's keys, then its values; the document keeps key, value pairs.
    void interleavePairs(std::size_t first, std::size_t pairs) {
        if (pairs < 2) return;
        scratch_.assign(storage_.children.begin() + static_cast<std::ptrdiff_t>(first),
                        storage_.children.begin() + static_cast<std::ptrdiff_t>(first + 2 * pairs));
        for (std::size_t i = 0; i < pairs; ++i) {
            storage_.children[first + 2 * i] = scratch_[i];
            storage_.children[first + 2 * i + 1] = scratch_[pairs + i];
        }
    }

    // Decodes the object unless done before; returns its height (0 for a scalar), which for a
    // container decoded once is kept in its node's flags.
    int decode(std::uint32_t index, int depth) {
        const Node& node = storage_.nodes[index];
        // A container reached again while its children are being read is a cycle.
        if (node.kind == PropertyListStorage::kDecoding) fail("reference cycle");
        if (node.kind != PropertyListStorage::kPending) {
            // A shared object is decoded once, but must not take any path past the depth cap.
            const bool isContainer = node.kind == static_cast<std::uint8_t>(PropertyListKind::array) ||
                                     node.kind == static_cast<std::uint8_t>(PropertyListKind::dictionary);
            const int height = isContainer ? node.flags : 0;
            if (depth + height > maximumDepth_) fail("nesting too deep");
            return height;
        }
        const std::size_t offset = objectOffset(index);
        const std::uint8_t marker = bytes_[offset];
        const auto type = static_cast<std::uint8_t>(marker >> 4);
        const auto info = static_cast<std::uint8_t>(marker & 0x0F);
        const std::size_t position = offset + 1;
        switch (type) {
        case 0x0:
            if (info != 0x8 && info != 0x9) fail("unsupported object type");
            setNode(index, PropertyListKind::boolean, 0, info == 0x9 ? 1 : 0);
            return 0;
        case 0x1: decodeInteger(index, info, position); return 0;
        case 0x2:
            // Reals are 4 or 8 bytes.
            if (info == 2) {
                require(position, 4);
                const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(bigEndian(bytes_, position, 4)));
                setNode(index, PropertyListKind::real, 0, std::bit_cast<std::uint64_t>(static_cast<double>(value)));
            } else if (info == 3) {
                require(position, 8);
                setNode(index, PropertyListKind::real, 0, bigEndian(bytes_, position, 8));
            } else {
                fail("bad real width");
            }
            return 0;
        case 0x3:
            // Dates are 8-byte reals.
            if (info != 3) fail("bad date width");
            require(position, 8);
            setNode(index, PropertyListKind::date, 0, bigEndian(bytes_, position, 8));
            return 0;
        case 0x4: {
            std::size_t start = position;
            const std::size_t length = count(info, start);
            require(start, length);
            const std::size_t poolOffset = storage_.bytes.size();
            storage_.bytes.append(reinterpret_cast<const char*>(bytes_.data()) + start, length);
            setBytes(index, PropertyListKind::data, poolOffset);
            return 0;
        }
        case 0x5:
        case 0x6: decodeString(index, type, info, position); return 0;
        case 0x8: {
            // UIDs are 1 to 8 bytes.
            const std::size_t width = std::size_t{info} + 1;
            if (width > 8) fail("bad UID width");
            require(position, width);
            setNode(index, PropertyListKind::uid, 0, bigEndian(bytes_, position, width));
            return 0;
        }
        case 0xA:
        case 0xD: return decodeContainer(index, type, info, position, depth);
        default: fail("unsupported object type");
        }
    }

    std::span<const std::uint8_t> bytes_;
    int maximumDepth_;
    PropertyListStorage& storage_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t referenceSize_ = 0;
    std::size_t objectCount_ = 0;
    std::size_t topObject_ = 0;
    std::size_t objectsEnd_ = 0;  // = the offset table's offset
    std::vector<std::uint32_t> scratch_;
};

}  // namespace

bool hasBinaryHeader(std::span<const std::uint8_t> data) noexcept {
    constexpr std::string_view magic = "bplist";
    return data.size() >= magic.size() && std::memcmp(data.data(), magic.data(), magic.size()) == 0;
}

std::shared_ptr<PropertyListStorage> read(std::span<const std::uint8_t> data, int maximumDepth,
                                          std::pmr::memory_resource* memory) {
    auto storage = makePropertyListStorage(memory);
    Reader(data, maximumDepth, *storage).read();
    return storage;
}

}  // namespace brimlock::BinaryPropertyListReader
