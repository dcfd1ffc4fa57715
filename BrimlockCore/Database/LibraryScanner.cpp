#include "BrimlockCore/Database/LibraryScanner.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <unordered_set>

namespace brimlock::LibraryScanner {

namespace fs = std::filesystem;

namespace {

// The library folder is depth 0, so folders down to 8 levels below it are examined.
constexpr int kMaximumWalkDepth = 7;

// A sequence is a real timeline when its attributes hold one of these keys...
constexpr auto kRealSequenceStrongKeys = std::to_array<std::string_view>({
    "sequenceType",
    "captionPlaybackEnabled",
    "captionPlaybackRoleUID",
    "audioSampleRate",
    "audioChannelCount",
});
// ...or its "metadata" dictionary holds one of these.
constexpr auto kShareMetadataKeys = std::to_array<std::string_view>({"FFShareTitleKey", "FFShareCreatorKey"});

struct FolderEntry {
    fs::path path;
    std::string name;
    bool isDirectory = false;  // follows a symbolic link
    bool isSymbolicLink = false;
};

// Entries in the order the file system lists them; hidden entries skipped, entries whose kind cannot
// be read left out, a folder that cannot be listed taken as empty.
std::vector<FolderEntry> listFolder(const fs::path& folder) {
    std::vector<FolderEntry> entries;
    std::error_code error;
    fs::directory_iterator iterator(folder, error);
    if (error) return entries;
    for (const fs::directory_iterator end; iterator != end; iterator.increment(error)) {
        if (error) break;
        FolderEntry entry;
        entry.path = iterator->path();
        entry.name = entry.path.filename().string();
        if (entry.name.empty() || entry.name.front() == '.') continue;
        std::error_code statusError;
        const auto linkStatus = fs::symlink_status(entry.path, statusError);
        if (statusError) continue;
        entry.isSymbolicLink = fs::is_symlink(linkStatus);
        const auto status = fs::status(entry.path, statusError);
        if (statusError) continue;
        entry.isDirectory = fs::is_directory(status);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool fileExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error) && !error;
}

std::string resolvedPath(const fs::path& path) {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? path.lexically_normal().string() : resolved.string();
}

template <std::size_t N>
bool isOneOf(std::string_view key, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), key) != names.end();
}

bool isRealSequence(const BlobDecoder::DecodedBlob& blob) {
    if (std::any_of(kRealSequenceStrongKeys.begin(), kRealSequenceStrongKeys.end(),
                    [&](std::string_view key) { return blob.hasKey(key); }))
        return true;
    const auto metadata = blob.dictionary(store::kMetadata);
    if (!metadata) return false;
    for (std::size_t i = 0; i < metadata->size(); ++i) {
        if (isOneOf(metadata->keyAt(i), kShareMetadataKeys)) return true;
    }
    return false;
}

// A child list that cannot be read counts as empty.
std::span<const std::int64_t> childPKsOrNone(FCPDatabaseConnection& db, std::int64_t parent) {
    return db.childPKs(parent).value_or(std::span<const std::int64_t>());
}

// NSSet children of the project-data root, in order, without repeats.
std::vector<std::int64_t> candidateSequences(FCPDatabaseConnection& db, std::int64_t rootPK) {
    std::vector<std::int64_t> candidates;
    std::unordered_set<std::int64_t> seen;
    for (const auto child : childPKsOrNone(db, rootPK)) {
        const auto* info = db.collectionInfo(child);
        if (info == nullptr || info->type != store::kSet) continue;
        for (const auto member : childPKsOrNone(db, child)) {
            if (seen.insert(member).second) candidates.push_back(member);
        }
    }
    return candidates;
}

std::optional<FCPTimelineInfo> timelineFromCandidate(FCPDatabaseConnection& db, std::int64_t pk) {
    const auto* info = db.collectionInfo(pk);
    if (info == nullptr || info->type != store::kAnchoredSequence) return std::nullopt;
    const auto blob = db.fetchDecodedBlob(pk);
    if (!blob || !isRealSequence(*blob)) return std::nullopt;

    int editCount = 0;
    std::optional<std::string> displayName;
    if (const auto primaryObject = db.childPK(pk, store::kPrimaryObject)) {
        const auto items = childPKsOrNone(db, *primaryObject);
        if (!items.empty()) {
            const std::int64_t primaryItem = items.front();
            if (const auto contained = db.childPK(primaryItem, store::kContainedItems))
                editCount = static_cast<int>(std::min<std::size_t>(childPKsOrNone(db, *contained).size(), INT32_MAX));
            if (const auto itemBlob = db.fetchDecodedBlob(primaryItem)) {
                if (auto name = itemBlob->string(store::kDisplayName); name && !name->empty())
                    displayName = std::move(name);
            }
        }
    }

    FCPTimelineInfo timeline;
    timeline.id = info->identifier ? *info->identifier : platform::UUID::random().uuidString();
    timeline.name = displayName ? *displayName : info->identifier ? *info->identifier : "Untitled";
    timeline.collectionPK = pk;
    timeline.editCount = editCount;
    return timeline;
}

// The folder walk below `folder`: event folders from depth 1 to 8 below the library (depth 0), each
// database counted once by its resolved path, appended without timelines. Symbolic links to folders
// are checked for a database but not descended into.
void collectEventFolders(const fs::path& folder, const std::optional<std::string>& namePrefix, int depth,
                         std::vector<FCPEvent>& events, std::set<std::string>& seenDBPaths) {
    if (depth > kMaximumWalkDepth) return;
    for (const auto& entry : listFolder(folder)) {
        if (!entry.isDirectory || isOneOf(entry.name, kFcpInternalMediaFolderNames)) continue;
        const std::string name = platform::sanitizedUTF8(entry.name);
        const std::string displayName = namePrefix ? *namePrefix + " / " + name : name;

        const fs::path databaseURL = entry.path / kEventDatabaseFileName;
        if (fileExists(databaseURL) && seenDBPaths.insert(resolvedPath(databaseURL)).second)
            events.push_back(FCPEvent{displayName, databaseURL, {}});
        if (!entry.isSymbolicLink) collectEventFolders(entry.path, displayName, depth + 1, events, seenDBPaths);
    }
}

}  // namespace

FCPLibrary listEvents(const fs::path& libraryURL) {
    FCPLibrary library;
    library.url = libraryURL;
    fs::path named = libraryURL;
    if (!named.has_filename()) named = named.parent_path();  // a URL text that ends in "/"
    library.name = platform::sanitizedUTF8(named.stem().string());
    std::set<std::string> seenDBPaths;
    collectEventFolders(libraryURL, std::nullopt, 0, library.events, seenDBPaths);
    return library;
}

FCPLibrary scan(const fs::path& libraryURL) {
    FCPLibrary library = listEvents(libraryURL);
    for (auto& event : library.events) event.timelines = timelinesOf(event.databaseURL);
    return library;
}

std::vector<FCPTimelineInfo> timelinesOf(const fs::path& databaseURL) {
    // An event that cannot be read is listed without timelines: the sidebar still shows it.
    return whenStoreReadable(
        [&] {
            FCPDatabaseConnection db(databaseURL.string());
            return discoverTimelines(db);
        },
        std::vector<FCPTimelineInfo>());
}

std::vector<FCPTimelineInfo> discoverTimelines(FCPDatabaseConnection& db) {
    const auto roots = db.fetchCollections(store::kMediaEventProjectData);
    if (roots.empty()) return {};
    std::vector<FCPTimelineInfo> timelines;
    for (const auto candidate : candidateSequences(db, roots.front().pk)) {
        if (auto timeline = timelineFromCandidate(db, candidate)) timelines.push_back(std::move(*timeline));
    }
    return timelines;
}

std::vector<fs::path> findMediaFilesDatabases(const fs::path& libraryURL) {
    std::vector<fs::path> databases;
    for (const auto& entry : fs::directory_iterator(libraryURL)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.front() == '.') continue;
        const fs::path databaseURL = entry.path() / kEventDatabaseFileName;
        if (!fileExists(databaseURL)) continue;
        // An unreadable database holds no assets we can use.
        const bool holdsAssets = whenStoreReadable(
            [&] { return !FCPDatabaseConnection(databaseURL.string()).fetchCollections(store::kAsset).empty(); },
            false);
        if (holdsAssets) databases.push_back(databaseURL);
    }
    return databases;
}

}  // namespace brimlock::LibraryScanner
