#include "QuilloToDo/Services/RetryQueueFile.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

const platform::UUID kFirstID = *platform::UUID::parse("0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9");
const platform::UUID kSecondID = *platform::UUID::parse("11111111-2222-4333-8444-555555555555");

TEST(RetryQueueFile, WritesCompactWithEscapedSlashesAndNoNullKey) {
    const std::vector<RetryQueueEntry> entries{
        {.id = kFirstID, .operation = platform::JSON{{"text", "a/b"}}, .dedupKey = std::nullopt, .attempts = 3},
        {.id = kSecondID, .operation = platform::JSON::object(), .dedupKey = "k/1", .attempts = 0},
    };
    EXPECT_EQ(RetryQueueFile::encode(entries),
              R"([{"id":"0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9","operation":{"text":"a\/b"},"attempts":3},)"
              R"({"id":"11111111-2222-4333-8444-555555555555","operation":{},"dedupKey":"k\/1","attempts":0}])");
    const auto read = RetryQueueFile::decode(RetryQueueFile::encode(entries));
    EXPECT_TRUE(read.isArray);
    EXPECT_EQ(read.entries, entries);
}

TEST(RetryQueueFile, ReadsInAnyKeyOrderWithNullOrMissingKeyAsNoKey) {
    const auto read = RetryQueueFile::decode(
        R"([{"attempts":1,"dedupKey":null,"operation":{},"id":"0a1b2c3d-4e5f-4061-8293-a4b5c6d7e8f9","x":[]},)"
        R"({"operation":{"a":1},"id":"11111111-2222-4333-8444-555555555555","attempts":0}])");
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].id, kFirstID);
    EXPECT_EQ(read.entries[0].dedupKey, std::nullopt);
    EXPECT_EQ(read.entries[0].attempts, 1);
    EXPECT_EQ(read.entries[1].dedupKey, std::nullopt);
}

TEST(RetryQueueFile, DropsOnlyTheInvalidElements) {
    const auto read = RetryQueueFile::decode(
        R"([{"id":"0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9","operation":{},"attempts":0},)"
        R"({"id":"not a uuid","operation":{},"attempts":0},)"
        R"({"id":"11111111-2222-4333-8444-555555555555","operation":{},"attempts":-1},)"
        R"({"id":"11111111-2222-4333-8444-555555555555","operation":{},"attempts":1.5},)"
        R"({"id":"11111111-2222-4333-8444-555555555555","operation":"text","attempts":0},)"
        R"({"id":"11111111-2222-4333-8444-555555555555","operation":{},"attempts":0,"dedupKey":7},)"
        R"({"id":"11111111-2222-4333-8444-555555555555","operation":{"bad":true},"attempts":0},)"
        R"(42,)"
        R"({"id":"11111111-2222-4333-8444-555555555555","operation":{},"attempts":2}])",
        [](const platform::JSON& operation) { return !operation.contains("bad"); });
    EXPECT_TRUE(read.isArray);
    EXPECT_EQ(read.droppedCount, 7u);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].id, kFirstID);
    EXPECT_EQ(read.entries[1].attempts, 2);
}

TEST(RetryQueueFile, AnythingButAnArrayIsNotReadable) {
    for (const char* bytes : {"", "{}", "null", "[", "\"[]\"", "\xff"}) {
        const auto read = RetryQueueFile::decode(bytes);
        EXPECT_FALSE(read.isArray) << bytes;
        EXPECT_TRUE(read.entries.empty());
    }
}

}  // namespace
}  // namespace quillo
