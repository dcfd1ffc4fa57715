// Feeds arbitrary bytes to the keyed-archive blob decoder. Decoding fails only with the property-list
// reader's error or BlobDecoderError; a decoded blob answers every accessor for every key; the
// identifier walk never fails and lists only 36-character texts with exactly four hyphens.
#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brimlock;
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const auto blob = BlobDecoder::decode(bytes);
        require(blob.rootKeys().size() == blob.rootValues().size());
        require(blob.keyValueMap().size() <= blob.rootKeys().size());
        for (const auto& key : blob.rootKeys()) {
            require(blob.hasKey(key));
            (void)blob.string(key);
            (void)blob.integer(key);
            (void)blob.doubleValue(key);
            (void)blob.boolValue(key);
            (void)blob.data(key);
            if (const auto dictionary = blob.dictionary(key)) {
                for (std::size_t i = 0; i < dictionary->size(); ++i)
                    require(dictionary->find(dictionary->keyAt(i)).has_value());
            }
            if (const auto array = blob.array(key)) {
                for (const auto element : *array) (void)BlobDecoder::uidIndex(element);
            }
        }
        for (const auto object : blob.objects()) (void)BlobDecoder::uidIndex(object);
    } catch (const PropertyListError&) {
    } catch (const BlobDecoderError&) {
    }
    for (const auto& identifier : BlobDecoder::orderedChildIdentifiers(bytes)) {
        require(identifier.size() >= 36 && std::count(identifier.begin(), identifier.end(), '-') == 4);
    }
    return 0;
}
