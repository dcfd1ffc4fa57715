#include "Platform/Updater/UpdateFeed.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using quillo::testing::thrownBy;

std::string reason(auto&& body) { return thrownBy<UpdateFeedError>(body).what(); }

QByteArray feed(const QByteArray& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:up="http://example.org/xml-namespaces/updates">
  <channel><title>QuilloToDo</title>)" +
           items + "</channel></rss>";
}

TEST(UpdateFeed, TheHighestVersionWinsWhateverItsPlace) {
    const UpdateFeedItem newest = newestRelease(feed(R"(
      <item><title>0.9</title><up:version>0.9</up:version><link>https://example.org/0.9</link></item>
      <item><title>Release 0.10</title><up:version> 0.10 </up:version><link>https://example.org/0.10</link></item>
      <item><title>No version: skipped</title><link>https://example.org/x</link></item>
      <item><up:version>0.2</up:version></item>)"));
    EXPECT_EQ(newest.version, "0.10");
    EXPECT_EQ(newest.title, "Release 0.10");
    EXPECT_EQ(newest.link, QUrl("https://example.org/0.10"));
}

TEST(UpdateFeed, TheEnclosureSuppliesVersionAndLinkWhenTheItemHasNone) {
    const UpdateFeedItem newest = newestRelease(feed(R"(
      <item><enclosure url="https://example.org/q-2.0.tar.gz" up:version="2.0" length="1"/></item>)"));
    EXPECT_EQ(newest.version, "2.0");
    EXPECT_EQ(newest.link, QUrl("https://example.org/q-2.0.tar.gz"));
}

TEST(UpdateFeed, LinksOtherThanWebPagesAreDropped) {
    for (const QByteArray link : {"javascript:alert(1)", "file:///etc/passwd", "https://", "not a url"}) {
        const UpdateFeedItem newest =
            newestRelease(feed("<item><up:version>2.0</up:version><link>" + link + "</link></item>"));
        EXPECT_TRUE(newest.link.isEmpty()) << link.constData();
    }
}

TEST(UpdateFeed, UnusableFeedsSayWhy) {
    EXPECT_EQ(reason([] { newestRelease("<html><body>Hello</body></html>"); }), "The update feed is not an RSS feed.");
    EXPECT_EQ(reason([] { newestRelease(feed("<item><title>1.0</title></item>")); }),
              "The update feed lists no version.");
    EXPECT_EQ(reason([] { newestRelease(" \n"); }), "The update feed is empty.");
    const std::string garbage = reason([] { newestRelease("\x89PNG\r\n\x1a\n garbage"); });
    EXPECT_TRUE(garbage.starts_with("The update feed is not valid XML (")) << garbage;
    EXPECT_TRUE(garbage.ends_with(", line 1).")) << garbage;
    // Cut off after a complete item: still refused, not read as a short feed.
    const std::string truncated =
        reason([] { newestRelease(feed("<item><up:version>9.0</up:version></item>").chopped(20)); });
    EXPECT_TRUE(truncated.starts_with("The update feed is not valid XML (")) << truncated;
}

}  // namespace
}  // namespace platform
