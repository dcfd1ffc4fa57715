#include "BrimlockCore/Resolver/SpineClipDetails.h"

#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "Platform/Foundation/FloatingPointText.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/BlobFields.h"
#include "BrimlockCore/Resolver/CollectionCache.h"
#include "BrimlockCore/Resolver/MarkerFields.h"
#include "BrimlockCore/Resolver/WalkBudget.h"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>

namespace brimlock::SpineClipDetails {

namespace {

constexpr int kMaximumEffectDepth = 7;
constexpr int kMaximumTitleDepth = 5;
constexpr int kMaximumMarkerDepth = 7;

using Path = std::vector<std::int64_t>;

bool contains(const Path& path, std::int64_t pk) { return std::find(path.begin(), path.end(), pk) != path.end(); }

// Keeps `pk` on the path for the lifetime of the guard.
class PathStep {
public:
    PathStep(Path& path, std::int64_t pk) : path_(path) { path_.push_back(pk); }
    ~PathStep() { path_.pop_back(); }
    PathStep(const PathStep&) = delete;
    PathStep& operator=(const PathStep&) = delete;

private:
    Path& path_;
};

std::optional<std::span<const std::uint8_t>> channelData(const BlobDecoder::DecodedBlob& blob) noexcept {
    const auto value = blob.value("channelData");
    return value ? value->data() : std::nullopt;
}

enum class Search { notFound, found, failed };

Search searchRetime(std::int64_t pk, CollectionCache& cache, WalkBudget& budget, Path& path, int depth,
                    std::optional<RetimeParser::RetimeValues>& result) {
    if (depth > kMaximumEffectDepth) return Search::notFound;
    const auto children = cache.children(pk);
    if (!children) return Search::failed;
    for (const auto child : *children) {
        if (contains(path, child)) continue;
        if (!budget.spend()) return Search::notFound;
        const auto* row = cache.info(child);
        if (!row) return Search::failed;
        if (row->name == store::kAnchoredItems) continue;
        if (row->type == store::kRetimingVideoEffect) {
            if (const auto* blob = cache.blob(child)) {
                if (const auto data = channelData(*blob)) {
                    // The first effect with data decides for its own level, even when its document gives
                    // nothing; only a present result ends the levels above.
                    result = RetimeParser::parse(*data);
                    return result ? Search::found : Search::notFound;
                }
            }
        }
        PathStep step(path, child);
        if (const Search below = searchRetime(child, cache, budget, path, depth + 1, result); below != Search::notFound)
            return below;
    }
    return Search::notFound;
}

std::optional<TransformParser::TransformValues> searchTransform(std::int64_t pk, CollectionCache& cache,
                                                                WalkBudget& budget, Path& path, int depth) {
    if (depth > kMaximumEffectDepth) return std::nullopt;
    const auto children = cache.children(pk);
    if (!children) return std::nullopt;
    for (const auto child : *children) {
        if (contains(path, child)) continue;
        if (!budget.spend()) return std::nullopt;
        const auto* row = cache.info(child);
        if (!row || row->name == store::kAnchoredItems) continue;
        if (row->type == store::kHeXForm3DEffect) {
            if (const auto* blob = cache.blob(child)) {
                if (const auto data = channelData(*blob)) {
                    // TransformParser applies the entity guard and the UTF-8 check.
                    const auto values = TransformParser::parse(*data);
                    if (values && values->isModified()) return values;
                }
            }
        }
        PathStep step(path, child);
        if (auto below = searchTransform(child, cache, budget, path, depth + 1)) return below;
    }
    return std::nullopt;
}

// `path` is the chain of the generator's ancestors in this test, each child sees only its own.
bool isTitleBelow(std::int64_t pk, CollectionCache& cache, WalkBudget& budget, Path& path, int depth) {
    if (depth > kMaximumTitleDepth || contains(path, pk)) return false;
    PathStep step(path, pk);
    const auto children = cache.children(pk);
    if (!children) return false;
    for (const auto child : *children) {
        if (contains(path, child)) continue;
        if (!budget.spend()) return false;
        const auto* row = cache.info(child);
        if (!row || row->name == store::kPersistedAnchoredObject) continue;
        if (const auto* blob = cache.blob(child)) {
            if (BlobFields::text(*blob, "effectType") == "effect.video.title") return true;
        }
        if (isTitleBelow(child, cache, budget, path, depth + 1)) return true;
    }
    return false;
}

void collectMarkers(std::int64_t pk, CollectionCache& cache, WalkBudget& budget, Path& path, int depth,
                    std::vector<MarkerInfo>& out) {
    if (depth > kMaximumMarkerDepth) return;
    const auto anchored = cache.childNamed(pk, store::kAnchoredItems);
    if (!anchored) return;
    const auto children = cache.children(*anchored);
    if (!children) return;
    PathStep step(path, pk);
    for (const auto child : *children) {
        if (contains(path, child)) continue;
        if (!budget.spend()) return;
        const auto* row = cache.info(child);
        if (!row || !row->type) continue;
        const auto* blob = cache.blob(child);
        if (!blob) continue;
        if (*row->type == store::kAnchoredTimeMarker) {
            MarkerFields fields = MarkerFields::read(*blob);
            out.push_back({std::move(fields.text), fields.type, std::move(fields.chapterNote)});
        } else if (row->type->find("Marker") == std::string::npos) {
            // Markers of connected items belong to the clip too.
            collectMarkers(child, cache, budget, path, depth + 1, out);
        }
    }
}

std::string_view trimmed(std::string_view text) noexcept {
    constexpr std::string_view whitespace = " \t\n\r\v\f";
    const auto first = text.find_first_not_of(whitespace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(whitespace) - first + 1);
}

// The size of a rectangle written "{{x, y}, {w, h}}": braces removed, split at ",", white space
// trimmed, the pieces that read as decimal numbers kept; the third and fourth. Nothing with fewer
// than four numbers.
std::optional<FrameSize> parseVideoProps(std::string_view text) {
    std::string bare;
    bare.reserve(text.size());
    for (const char c : text)
        if (c != '{' && c != '}') bare.push_back(c);

    double numbers[4] = {};
    std::size_t count = 0;
    std::string_view rest = bare;
    while (count < 4) {
        const std::size_t cut = rest.find(',');
        if (const auto number = platform::parseFiniteDouble(trimmed(rest.substr(0, cut)))) numbers[count++] = *number;
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    if (count < 4) return std::nullopt;
    return FrameSize{numbers[2], numbers[3]};
}

}  // namespace

std::optional<RetimeParser::RetimeValues> loadRetimeInfo(std::int64_t clip, CollectionCache& cache,
                                                         WalkBudget& budget) {
    Path path{clip};
    std::optional<RetimeParser::RetimeValues> result;
    if (searchRetime(clip, cache, budget, path, 0, result) != Search::found) return std::nullopt;
    return result;
}

std::optional<TransformParser::TransformValues> loadTransformInfo(std::int64_t clip, CollectionCache& cache,
                                                                  WalkBudget& budget) {
    Path path{clip};
    return searchTransform(clip, cache, budget, path, 0);
}

bool generatorIsTitle(std::int64_t generator, CollectionCache& cache, WalkBudget& budget) {
    Path path;
    return isTitleBelow(generator, cache, budget, path, 0);
}

std::vector<MarkerInfo> findMarkers(std::int64_t clip, CollectionCache& cache, WalkBudget& budget) {
    Path path;
    std::vector<MarkerInfo> markers;
    collectMarkers(clip, cache, budget, path, 0, markers);
    return markers;
}

std::optional<FrameSize> videoResolution(const BlobDecoder::DecodedBlob& blob) {
    const auto properties = blob.dictionary("videoProps");
    if (!properties) return std::nullopt;
    const auto rectangle = properties->find("PB");
    if (!rectangle) return std::nullopt;
    const auto text = rectangle->string();
    return text ? parseVideoProps(*text) : std::nullopt;
}

}  // namespace brimlock::SpineClipDetails
