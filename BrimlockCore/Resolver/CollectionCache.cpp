#include "BrimlockCore/Resolver/CollectionCache.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"

#include <algorithm>
#include <unordered_set>

namespace brimlock {

const BlobDecoder::DecodedBlob* CollectionCache::blob(std::int64_t pk) {
    auto [slot, inserted] = blobs_.try_emplace(pk);
    if (inserted) slot->second = db_.fetchDecodedBlob(pk, &arena_);
    return slot->second ? &*slot->second : nullptr;
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

    if (const auto bytes = db_.fetchBlob(groupPK)) {
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
    blobs_.clear();
    arena_.reset();
    storylineOrders_.clear();
}

}  // namespace brimlock
