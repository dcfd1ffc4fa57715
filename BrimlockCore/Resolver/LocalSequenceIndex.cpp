#include "BrimlockCore/Resolver/LocalSequenceIndex.h"

#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/BlobFields.h"

namespace brimlock {

std::optional<std::int64_t> LocalSequenceIndex::sequencePK(const std::string& forMediaIdentifier) {
    if (!fetched_) {
        fetched_ = true;
        // A store whose sequences cannot be read has no compound clip contents.
        const bool read = whenStoreReadable([&] {
            for (auto& row : db_.fetchCollections(store::kAnchoredSequence))
                rows_.emplace_back(row.pk, std::move(row.blob));
        });
        if (!read) rows_.clear();
    }
    if (const auto found = sequences_.find(forMediaIdentifier); found != sequences_.end()) return found->second;

    while (decodedRows_ < rows_.size()) {
        auto& [pk, blob] = rows_[decodedRows_++];
        if (!blob) continue;
        const Data& bytes = *blob;
        const auto identifier = whenStoreReadable(
            [&] { return BlobFields::ownedText(BlobDecoder::decode(bytes), store::kMediaIdentifier); }, std::nullopt);
        blob.reset();
        // Rows are met in row order, so an identifier already indexed belongs to an earlier sequence.
        if (identifier && sequences_.try_emplace(*identifier, pk).second && *identifier == forMediaIdentifier)
            return pk;
    }
    return std::nullopt;
}

}  // namespace brimlock
