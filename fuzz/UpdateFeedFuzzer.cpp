// Feeds arbitrary bytes to the update feed reader, as the update server might send them. It returns a
// release with a version and an http(s) link or none, or throws UpdateFeedError; version texts order
// consistently, whatever they hold.
#include "Platform/Updater/UpdateFeed.h"
#include "Platform/Updater/VersionNumber.h"
#include "fuzz/FuzzSupport.h"

#include <compare>
#include <cstddef>
#include <cstdint>

using fuzz::require;

namespace {

void requireConsistentOrder(const QString& a, const QString& b) {
    require(platform::compareVersions(a, a) == std::strong_ordering::equal);
    const auto forward = platform::compareVersions(a, b);
    const auto backward = platform::compareVersions(b, a);
    require((forward == std::strong_ordering::equal) == (backward == std::strong_ordering::equal));
    require((forward == std::strong_ordering::less) == (backward == std::strong_ordering::greater));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    requireConsistentOrder(QString::fromUtf8(bytes), QStringLiteral("v0.1.0"));
    try {
        const platform::UpdateFeedItem newest = platform::newestRelease(bytes);
        require(!newest.version.isEmpty());
        const QString scheme = newest.link.scheme().toLower();
        require(newest.link.isEmpty() || ((scheme == u"http" || scheme == u"https") && !newest.link.host().isEmpty()));
        requireConsistentOrder(newest.version, QStringLiteral("0.1.0"));
    } catch (const platform::UpdateFeedError&) {
        // Not a feed, or one without a version: the reason is shown to the user.
    }
    return 0;
}
