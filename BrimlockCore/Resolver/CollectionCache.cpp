#include "BrimlockCore/Resolver/CollectionCache.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/StoreVocabulary.h"

#include <algorithm>
#include <unordered_set>

namespace brimlock {

const FCPDatabaseConnection::CollectionInfo* CollectionCache::info(std::int64_t pk) {
    if (db_.hasCollectionIndex()) {
        static const FCPDatabaseConnection::CollectionInfo missingRow;
        const auto* row = db_.indexedCollectionInfo(pk);
        return row != nullptr ? row : &missingRow;
    }
    auto [slot, inserted] = infos_.try_emplace(pk);
    if (inserted) {
        try {
            slot->second = db_.fetchCollectionInfo(pk);
        } catch (const std::exception&) {
            slot->second.reset();
        }
    }
    return slot->second ? &*slot->second : nullptr;
}

std::optional<std::span<const std::int64_t>> CollectionCache::children(std::int64_t pk) {
    if (db_.hasCollectionIndex()) return db_.indexedChildPKs(pk);
    auto [slot, inserted] = children_.try_emplace(pk);
    if (inserted) {
        try {
            slot->second = db_.fetchChildPKs(pk);
        } catch (const std::exception&) {
            slot->second.reset();
        }
    }
    if (!slot->second) return std::nullopt;
    return std::span<const std::int64_t>(*slot->second);
}

std::optional<std::int64_t> CollectionCache::childNamed(std::int64_t pk, std::string_view name) {
    // With the child list at hand (the rows mostly too) no query is needed; else one query beats
    // reading every child's row.
    if (db_.hasCollectionIndex() || children_.contains(pk)) {
        const auto list = children(pk);
        if (!list) return std::nullopt;
        for (const auto child : *list) {
            const auto* row = info(child);
            if (row && row->name && *row->name == name) return child;
        }
        return std::nullopt;
    }
    auto& named = namedChildren_[pk];
    for (const auto& [childName, child] : named)
        if (childName == name) return child;
    const auto child = db_.childPK(pk, std::string(name));
    named.emplace_back(std::string(name), child);
    return child;
}

const BlobDecoder::DecodedBlob* CollectionCache::blob(std::int64_t pk) {
    auto [slot, inserted] = blobs_.try_emplace(pk);
    if (inserted) slot->second = db_.fetchDecodedBlob(pk);
    return slot->second ? &*slot->second : nullptr;
}

std::optional<std::int64_t> CollectionCache::activePick(std::int64_t stackPK) {
    const auto variant = childNamed(stackPK, store::kActiveVariant);
    if (!variant) return std::nullopt;
    const auto picks = children(*variant);
    if (!picks || picks->empty()) return std::nullopt;
    return picks->front();
}

const std::vector<std::int64_t>& CollectionCache::storylineOrder(std::int64_t groupPK) {
    auto [slot, inserted] = storylineOrders_.try_emplace(groupPK);
    std::vector<std::int64_t>& order = slot->second;
    if (!inserted) return order;

    const auto members = children(groupPK);
    if (!members || members->empty()) return order;
    const std::unordered_set<std::int64_t> memberSet(members->begin(), members->end());
    std::unordered_set<std::int64_t> placed;
    order.reserve(members->size());

    std::optional<Data> bytes;
    try {
        bytes = db_.fetchBlob(groupPK);
    } catch (const std::exception&) {
        bytes.reset();
    }
    if (bytes) {
        for (const auto& identifier : BlobDecoder::orderedChildIdentifiers(*bytes)) {
            const auto pk = db_.pkForIdentifier(identifier);
            // A damaged blob may name a child twice; it still lies in the storyline once.
            if (pk && memberSet.contains(*pk) && placed.insert(*pk).second) order.push_back(*pk);
        }
    }
    if (order.size() < memberSet.size()) {
        std::vector<std::int64_t> rest;
        for (const auto pk : memberSet)
            if (!placed.contains(pk)) rest.push_back(pk);
        std::sort(rest.begin(), rest.end());
        order.insert(order.end(), rest.begin(), rest.end());
    }
    return order;
}

void CollectionCache::clear() noexcept {
    infos_.clear();
    children_.clear();
    blobs_.clear();
    storylineOrders_.clear();
    namedChildren_.clear();
}

}  // namespace brimlock
