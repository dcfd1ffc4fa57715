#pragma once

#include "BrimlockCore/Resolver/AssetInfoResolver.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace brimlock {

class AssetStore;
class FCPDatabaseConnection;
class WalkBudget;

// Where the sequences of a library live: the media identifier a sequence carries (the one compound
// and multicam clips refer to) mapped to its event database and collection key. Keeps one open
// read-only connection per database path, opened on first use and shared with every caller until
// the index is destroyed; callers never close them. Starts empty and only grows. Used by one thread
// at a time and shared by reference between the resolvers of one timeline.
//
// The to-do scan creates one empty index per timeline and never fills it: every lookup then answers
// nothing without touching a database.
class MulticamMediaIndex {
public:
    // A sequence as found: `db` is owned by the index and lives as long as it.
    struct SequenceLocation {
        FCPDatabaseConnection& db;
        std::int64_t sequencePK;
    };

    MulticamMediaIndex();
    ~MulticamMediaIndex();
    MulticamMediaIndex(const MulticamMediaIndex&) = delete;
    MulticamMediaIndex& operator=(const MulticamMediaIndex&) = delete;
    MulticamMediaIndex(MulticamMediaIndex&&) noexcept;
    MulticamMediaIndex& operator=(MulticamMediaIndex&&) noexcept;

    // Indexes every "FFAnchoredSequence" with a text "mediaIdentifier" in every event database of the
    // bundle (LibraryScanner::scan order, rows in row order). The first sequence indexed under an
    // identifier stays, also against earlier scans. An event whose database cannot be opened or
    // queried, and a row without a readable identifier, are skipped; nothing is reported. The
    // connections opened here are closed again and not cached.
    void scan(const std::filesystem::path& libraryURL);

    // The database and key of the sequence with that media identifier. Nothing when it is not
    // indexed, or when its database cannot be opened (nothing is cached then, so a later call tries
    // again).
    std::optional<SequenceLocation> sequenceLocation(const std::string& forMediaIdentifier);

    // The asset info of one angle of the multicam sequence with that media identifier: the first
    // angle (in child row order) whose "angleID" is text equal to `matchingAngleID`, else, and
    // always without an angle ID, the first angle. The angles are the children of the sequence's
    // "primaryObject" > first child > "containedItems" > first child > "anchoredItems". Nothing when
    // the identifier is not indexed, the database cannot be opened, a step of that descent is
    // missing, or there are no angles. The angle is resolved by AssetInfoResolver::findAssetInfo
    // with `assetStore`, no multicam index (a multicam lookup never starts another) and `budget`.
    std::optional<AssetInfoResolver::AssetInfo> resolve(const std::string& mediaIdentifier,
                                                        const std::optional<std::string>& matchingAngleID,
                                                        const AssetStore& assetStore, WalkBudget* budget = nullptr);

private:
    struct Entry {
        std::string dbPath;
        std::int64_t sequencePK;
    };

    FCPDatabaseConnection* cachedConnection(const std::string& path);

    std::unordered_map<std::string, Entry> index_;
    std::unordered_map<std::string, std::unique_ptr<FCPDatabaseConnection>> dbCache_;
};

}  // namespace brimlock
