#include "Platform/Foundation/UUID.h"

#include <random>

namespace platform {

namespace {

constexpr std::array<std::size_t, 4> kHyphenPositions{8, 13, 18, 23};

int hexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

UUID UUID::random() {
    thread_local std::random_device entropy;
    Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const auto word = entropy();
        for (std::size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return UUID(bytes);
}

std::optional<UUID> UUID::parse(std::string_view text) noexcept {
    if (text.size() != 36) return std::nullopt;
    Bytes bytes{};
    std::size_t nibble = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hyphenSlot = i == kHyphenPositions[0] || i == kHyphenPositions[1] || i == kHyphenPositions[2] ||
                                i == kHyphenPositions[3];
        if (hyphenSlot) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        const int value = hexValue(text[i]);
        if (value < 0) return std::nullopt;
        auto& byte = bytes[nibble / 2];
        byte = static_cast<std::uint8_t>(nibble % 2 == 0 ? value << 4 : byte | value);
        ++nibble;
    }
    return UUID(bytes);
}

std::string UUID::uuidString() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    // Written in place: the to-do list coders call this once per item.
    std::string text(36, '-');
    std::size_t at = 0;
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) ++at;
        text[at++] = kDigits[bytes_[i] >> 4];
        text[at++] = kDigits[bytes_[i] & 0x0F];
    }
    return text;
}

}  // namespace platform

std::size_t std::hash<platform::UUID>::operator()(const platform::UUID& uuid) const noexcept {
    // FNV-1a over the 16 bytes: cheap and well spread for random and hashed UUIDs alike.
    std::uint64_t value = 14695981039346656037ULL;
    for (const auto byte : uuid.bytes()) {
        value ^= byte;
        value *= 1099511628211ULL;
    }
    return static_cast<std::size_t>(value);
}
