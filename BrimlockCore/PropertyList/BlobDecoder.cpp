#include "BrimlockCore/PropertyList/BlobDecoder.h"

#include "BrimlockCore/PropertyList/PropertyListStorage.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <limits>

namespace brimlock::BlobDecoder {

namespace {

using Kind = PropertyListKind;

std::optional<std::int64_t> referenceIndex(const PropertyListStorage& storage, std::uint32_t node) noexcept {
    const auto& found = storage.node(node);
    if (found.kind == static_cast<std::uint8_t>(Kind::uid)) {
        if (found.payload > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        return static_cast<std::int64_t>(found.payload);
    }
    const auto index = storage.ifKind(storage.find(node, "CF$UID"), Kind::integer);
    if (!index || (storage.node(*index).flags & PropertyListStorage::kUnsignedAboveInt64)) return std::nullopt;
    return static_cast<std::int64_t>(storage.node(*index).payload);
}

// The archive's "$objects" table over a document that decoding may extend.
class Archive {
public:
    Archive(PropertyListStorage& storage, std::uint32_t objects)
        : storage_(storage), objects_(objects), count_(storage.node(objects).count) {}

    // The object a reference names, or nothing when it leads outside "$objects"; any other value
    // stands for itself.
    std::optional<std::uint32_t> referenced(std::uint32_t node) const noexcept {
        const auto index = referenceIndex(storage_, node);
        if (!index) return node;
        if (*index < 0 || static_cast<std::uint64_t>(*index) >= count_) return std::nullopt;
        return storage_.element(objects_, static_cast<std::size_t>(*index));
    }

    // A root value: archived containers resolved one level, anything else itself.
    std::uint32_t rootValue(std::uint32_t object) {
        if (storage_.find(object, "NS.keys")) return resolvedDictionary(object);
        if (storage_.find(object, "NS.objects")) return resolvedArray(object);
        return object;
    }

    std::uint32_t nullMarker() {
        if (!nullMarker_) nullMarker_ = storage_.appendNode(Kind::null, 0, 0);
        return *nullMarker_;
    }

private:
    std::uint32_t resolvedDictionary(std::uint32_t object) {
        scratch_.clear();
        const auto keys = storage_.ifKind(storage_.find(object, "NS.keys"), Kind::array);
        const auto values = storage_.ifKind(storage_.find(object, "NS.objects"), Kind::array);
        if (keys && values) {
            const std::size_t count = std::min(storage_.node(*keys).count, storage_.node(*values).count);
            for (std::size_t i = 0; i < count; ++i) {
                const auto key = referenced(storage_.element(*keys, i));
                if (!key || storage_.kind(*key) != Kind::string) continue;
                const auto value = referenced(storage_.element(*values, i));
                if (!value) continue;
                scratch_.push_back(*key);
                scratch_.push_back(*value);
            }
        }
        return storage_.appendContainer(Kind::dictionary, scratch_);
    }

    std::uint32_t resolvedArray(std::uint32_t object) {
        scratch_.clear();
        if (const auto elements = storage_.ifKind(storage_.find(object, "NS.objects"), Kind::array)) {
            const std::size_t count = storage_.node(*elements).count;
            for (std::size_t i = 0; i < count; ++i) {
                if (const auto element = referenced(storage_.element(*elements, i))) scratch_.push_back(*element);
            }
        }
        return storage_.appendContainer(Kind::array, scratch_);
    }

    PropertyListStorage& storage_;
    std::uint32_t objects_;
    std::size_t count_;
    std::optional<std::uint32_t> nullMarker_;
    std::vector<std::uint32_t> scratch_;
};

// 36 characters (grapheme clusters), exactly 4 of them "-".
bool isIdentifierLike(std::string_view text) {
    if (text.size() < 36 || std::count(text.begin(), text.end(), '-') != 4) return false;
    // ASCII without a carriage return (CR LF is one character) has one character per byte.
    const bool bytesAreCharacters =
        std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '\r'; });
    return (bytesAreCharacters ? text.size() : platform::graphemeClusters(text).size()) == 36;
}

}  // namespace

DecodedBlob decode(std::span<const std::uint8_t> data, std::pmr::memory_resource* memory) {
    const std::shared_ptr<PropertyListStorage> storage = readPropertyListStorage(data, memory);
    const PropertyListStorage& document = *storage;
    const std::uint32_t top = document.root;
    if (document.kind(top) != Kind::dictionary) throw BlobDecoderError(BlobDecoderError::Kind::invalidPlist);
    const auto objects = document.ifKind(document.find(top, "$objects"), Kind::array);
    if (!objects) throw BlobDecoderError(BlobDecoderError::Kind::missingObjects);
    if (document.node(*objects).count < 2) throw BlobDecoderError(BlobDecoderError::Kind::emptyBlob);
    const std::uint32_t root = document.element(*objects, 1);
    const auto keys = document.ifKind(document.find(root, "NS.keys"), Kind::array);
    const auto values = document.ifKind(document.find(root, "NS.objects"), Kind::array);
    if (!keys || !values) throw BlobDecoderError(BlobDecoderError::Kind::invalidRoot);

    Archive archive(*storage, *objects);
    const std::size_t count = std::min(document.node(*keys).count, document.node(*values).count);
    // The keys view the document's texts, which decoding does not extend.
    std::pmr::vector<std::string_view> rootKeys(memory);
    std::vector<std::uint32_t> rootNodes;
    rootKeys.reserve(count);
    rootNodes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto key = archive.referenced(document.element(*keys, i));
        if (!key || document.kind(*key) != Kind::string) continue;
        const auto value = archive.referenced(document.element(*values, i));
        rootKeys.emplace_back(document.text(*key));
        rootNodes.push_back(value ? archive.rootValue(*value) : archive.nullMarker());
    }

    // The document is complete: from here on it is shared read-only.
    std::shared_ptr<const PropertyListStorage> shared = storage;
    std::pmr::vector<PropertyListValue> rootValues(memory);
    rootValues.reserve(rootNodes.size());
    for (const std::uint32_t node : rootNodes) rootValues.emplace_back(shared, node);
    return DecodedBlob(PropertyListValue(std::move(shared), *objects), std::move(rootKeys), std::move(rootValues));
}

std::vector<std::string> orderedChildIdentifiers(std::span<const std::uint8_t> in) {
    std::shared_ptr<PropertyListStorage> storage;
    try {
        storage = readPropertyListStorage(in);
    } catch (const PropertyListError&) {
        return {};
    }
    const PropertyListStorage& document = *storage;
    const auto objects = document.ifKind(document.find(document.root, "$objects"), Kind::array);
    if (!objects || document.node(*objects).count < 2) return {};
    const std::uint32_t root = document.element(*objects, 1);
    const auto rootElements = document.ifKind(document.find(root, "NS.objects"), Kind::array);
    if (!rootElements) return {};

    const std::size_t objectCount = document.node(*objects).count;
    std::vector<std::string> identifiers;
    std::vector<bool> visited(objectCount, false);
    // Each array node has one cursor shared by every walk over it. An element once stepped on
    // never does anything again (its object stays visited), so a walk that meets the array again,
    // nested or later, may skip what any walk already covered: each element is stepped once.
    std::vector<std::uint32_t> cursor(document.nodes.size(), 0);
    std::vector<std::uint32_t> walks{*rootElements};
    while (!walks.empty()) {
        const std::uint32_t array = walks.back();
        if (cursor[array] == document.node(array).count) {
            walks.pop_back();
            continue;
        }
        const std::uint32_t element = document.element(array, cursor[array]++);
        const auto index = referenceIndex(document, element);
        if (!index || *index < 0 || static_cast<std::uint64_t>(*index) >= objectCount) continue;
        const auto position = static_cast<std::size_t>(*index);
        if (visited[position]) continue;
        visited[position] = true;
        const std::uint32_t object = document.element(*objects, position);
        if (document.kind(object) == Kind::string) {
            if (isIdentifierLike(document.text(object))) identifiers.emplace_back(document.text(object));
        } else if (document.kind(object) == Kind::dictionary) {
            // Pushed in reverse: the "NS.objects" are walked first, then the "NS.keys".
            if (const auto keys = document.ifKind(document.find(object, "NS.keys"), Kind::array))
                walks.push_back(*keys);
            if (const auto values = document.ifKind(document.find(object, "NS.objects"), Kind::array))
                walks.push_back(*values);
        }
    }
    return identifiers;
}

std::optional<std::int64_t> uidIndex(const PropertyListValue& value) noexcept {
    return referenceIndex(value.storage(), value.nodeIndex());
}

}  // namespace brimlock::BlobDecoder
