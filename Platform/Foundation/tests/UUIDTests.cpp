#include "Platform/Foundation/UUID.h"

#include <gtest/gtest.h>

#include <unordered_set>

using platform::UUID;

TEST(UUID, ParsesEitherCaseAndPrintsUpperCase) {
    const auto lower = UUID::parse("608a5d42-b080-bec7-c12b-cebeebbf9972");
    const auto upper = UUID::parse("608A5D42-B080-BEC7-C12B-CEBEEBBF9972");
    ASSERT_TRUE(lower && upper);
    EXPECT_EQ(*lower, *upper);
    EXPECT_EQ(lower->uuidString(), "608A5D42-B080-BEC7-C12B-CEBEEBBF9972");
    EXPECT_EQ(lower->bytes()[0], 0x60);
    EXPECT_EQ(lower->bytes()[15], 0x72);
}

TEST(UUID, RejectsMalformedText) {
    for (const char* text : {"", "608A5D42B080BEC7C12BCEBEEBBF9972", "608A5D42-B080-BEC7-C12B-CEBEEBBF997",
                             "608A5D42-B080-BEC7-C12B-CEBEEBBF99720", "608A5D42-B080-BEC7-C12B_CEBEEBBF9972",
                             "G08A5D42-B080-BEC7-C12B-CEBEEBBF9972", "{08A5D42-B080-BEC7-C12B-CEBEEBBF9972",
                             " 08A5D42-B080-BEC7-C12B-CEBEEBBF9972", "608A5D4-2B080-BEC7-C12B-CEBEEBBF9972"})
        EXPECT_FALSE(UUID::parse(text)) << text;
}

TEST(UUID, FromBytesRoundTripsThroughText) {
    UUID::Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 17);
    const UUID uuid(bytes);
    EXPECT_EQ(uuid.uuidString(), "00112233-4455-6677-8899-AABBCCDDEEFF");
    EXPECT_EQ(UUID::parse(uuid.uuidString()), uuid);
}

TEST(UUID, RandomUUIDsAreVersion4AndDistinct) {
    std::unordered_set<UUID> seen;
    for (int i = 0; i < 1000; ++i) {
        const UUID uuid = UUID::random();
        EXPECT_EQ(uuid.bytes()[6] >> 4, 4);
        EXPECT_EQ(uuid.bytes()[8] >> 6, 2);
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 1000u);
}
