#pragma once

#include "BrimlockCore/Database/SourceAsset.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

namespace brimlock {

class FCPDatabaseConnection;

// The media assets of a library by media identifier: the asset info resolver asks it for the name
// and frame rate behind an asset reference. Starts empty and only grows (until clear()); a later
// asset with the same media identifier replaces the earlier one. Used by one thread at a time and
// shared by reference between the resolvers of one timeline.
//
// The to-do scan creates one empty store per timeline and never loads it: every lookup then
// answers nothing.
class AssetStore {
public:
    AssetStore() = default;

    std::size_t count() const noexcept { return assets_.size(); }

    // A copy of the asset, or nothing when the identifier is unknown.
    std::optional<SourceAsset> resolve(const std::string& mediaIdentifier) const;

    // Adds every "FFAsset" of one database, in row order. Throws FCPDatabaseError when the asset
    // query fails, before anything is added. A row without a blob, with a blob that does not
    // decode, or without a text "mediaIdentifier" is skipped.
    //
    // Frame counts: when "mediaRange" reads as a time range, start and duration are turned into
    // frames as seconds x fps + 0.5, truncated toward zero. The fps is that of the rate found from
    // "timecodeFrameDuration" (text "num/den", see frameRateFrom), else 24 with no rate. A range
    // that does not read, or whose frame counts are not finite or leave the 64-bit range, gives
    // 0 and 0 frames and no rate ("timecodeFrameDuration" is then not read). A frame-duration
    // denominator outside the 32-bit range gives no rate.
    void loadAssets(FCPDatabaseConnection& from);

    // loadAssets over every database of the bundle that holds assets (LibraryScanner::
    // findMediaFilesDatabases, whose filesystem_error is passed on). A database that cannot be
    // opened is skipped; the first loadAssets failure stops the loop and is thrown, keeping the
    // assets loaded before it.
    void loadAllAssets(const std::filesystem::path& from);

    void clear() noexcept { assets_.clear(); }

private:
    std::unordered_map<std::string, SourceAsset> assets_;
};

}  // namespace brimlock
