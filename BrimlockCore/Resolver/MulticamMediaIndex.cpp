#include "BrimlockCore/Resolver/MulticamMediaIndex.h"

#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/LibraryScanner.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/WalkBudget.h"

#include <span>
#include <string_view>
#include <vector>

namespace brimlock {

namespace {

// The first child of `parent`'s child named `relation`: one step of the path to the angles.
std::optional<std::int64_t> firstChildOfRelation(FCPDatabaseConnection& db, std::int64_t parent,
                                                 std::string_view relation) {
    const auto group = db.childPK(parent, relation);
    if (!group) return std::nullopt;
    const auto children = db.childPKs(*group);
    if (!children || children->empty()) return std::nullopt;
    return children->front();
}

std::span<const std::int64_t> anglesOfSequence(FCPDatabaseConnection& db, std::int64_t sequencePK) {
    const auto primary = firstChildOfRelation(db, sequencePK, store::kPrimaryObject);
    if (!primary) return {};
    const auto base = firstChildOfRelation(db, *primary, store::kContainedItems);
    if (!base) return {};
    const auto anchored = db.childPK(*base, store::kAnchoredItems);
    if (!anchored) return {};
    return db.childPKs(*anchored).value_or(std::span<const std::int64_t>());
}

bool angleHasID(FCPDatabaseConnection& db, std::int64_t anglePK, const std::string& angleID) {
    const auto blob = db.fetchDecodedBlob(anglePK);
    return blob && blob->string("angleID") == angleID;
}

}  // namespace

MulticamMediaIndex::MulticamMediaIndex() = default;
MulticamMediaIndex::~MulticamMediaIndex() = default;
MulticamMediaIndex::MulticamMediaIndex(MulticamMediaIndex&&) noexcept = default;
MulticamMediaIndex& MulticamMediaIndex::operator=(MulticamMediaIndex&&) noexcept = default;

void MulticamMediaIndex::scan(const std::filesystem::path& libraryURL) {
    for (const auto& event : LibraryScanner::scan(libraryURL).events) {
        const std::string path = event.databaseURL.string();
        std::vector<CollectionRow> rows;
        if (!whenStoreReadable([&] { rows = FCPDatabaseConnection(path).fetchCollections(store::kAnchoredSequence); }))
            continue;
        for (const auto& row : rows) {
            if (!row.blob) continue;
            auto mediaIdentifier = whenStoreReadable(
                [&] { return BlobDecoder::decode(*row.blob).string(store::kMediaIdentifier); }, std::nullopt);
            if (mediaIdentifier) index_.try_emplace(std::move(*mediaIdentifier), Entry{path, row.pk});
        }
    }
}

FCPDatabaseConnection* MulticamMediaIndex::cachedConnection(const std::string& path) {
    if (const auto found = dbCache_.find(path); found != dbCache_.end()) return found->second.get();
    std::unique_ptr<FCPDatabaseConnection> opened;
    // A database that cannot be opened is not cached: the next lookup tries again.
    if (!whenStoreReadable([&] { opened = std::make_unique<FCPDatabaseConnection>(path); })) return nullptr;
    return dbCache_.emplace(path, std::move(opened)).first->second.get();
}

std::optional<MulticamMediaIndex::SequenceLocation> MulticamMediaIndex::sequenceLocation(
    const std::string& forMediaIdentifier) {
    const auto entry = index_.find(forMediaIdentifier);
    if (entry == index_.end()) return std::nullopt;
    FCPDatabaseConnection* db = cachedConnection(entry->second.dbPath);
    if (!db) return std::nullopt;
    return SequenceLocation{*db, entry->second.sequencePK};
}

std::optional<AssetInfoResolver::AssetInfo> MulticamMediaIndex::resolve(
    const std::string& mediaIdentifier, const std::optional<std::string>& matchingAngleID, const AssetStore& assetStore,
    WalkBudget* budget) {
    const auto location = sequenceLocation(mediaIdentifier);
    if (!location) return std::nullopt;
    FCPDatabaseConnection& db = location->db;

    const auto angles = anglesOfSequence(db, location->sequencePK);
    if (angles.empty()) return std::nullopt;

    std::int64_t chosen = angles.front();
    if (matchingAngleID) {
        for (const auto angle : angles) {
            // Each angle read counts like a child of the walk.
            if (budget && !budget->spend()) break;
            if (angleHasID(db, angle, *matchingAngleID)) {
                chosen = angle;
                break;
            }
        }
    }
    return AssetInfoResolver::findAssetInfo(chosen, db, assetStore, nullptr, std::nullopt, 0, budget);
}

}  // namespace brimlock
