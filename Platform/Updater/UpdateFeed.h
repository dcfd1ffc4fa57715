#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <stdexcept>

namespace platform {

// One release offered by the update feed.
struct UpdateFeedItem {
    QString version;  // the item's version element (or its enclosure's version attribute)
    QString title;    // the item's title, may be empty
    QUrl link;        // the release page, else the enclosure's download; empty unless http(s)
};

// The update feed is unusable: not well-formed XML, not RSS, or it offers no version.
// what() is the reason shown to the user.
class UpdateFeedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads an RSS update feed: every <item> of <rss><channel> with a version (an element whose local
// name is "version", in any namespace, or such an attribute on the item's <enclosure>) is a
// release; items without one are skipped. Returns the release with the highest version
// (compareVersions; the first of equal ones). Throws UpdateFeedError when the bytes are not an
// RSS document or no item carries a version. The bytes come from the network: nothing in them
// is trusted, and links other than http(s) are dropped.
UpdateFeedItem newestRelease(const QByteArray& rss);

}  // namespace platform
