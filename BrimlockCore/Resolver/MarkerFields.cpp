#include "BrimlockCore/Resolver/MarkerFields.h"

#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/BlobFields.h"

#include <array>
#include <cmath>
#include <string_view>

namespace brimlock {

namespace {

// In order of precedence.
constexpr auto kCompletionKeys = std::to_array<std::string_view>(
    {"isCompleted", "completed", "todoCompleted", "markerCompleted", "checked", "isChecked"});

std::optional<bool> completion(const BlobDecoder::DecodedBlob& blob) {
    for (const auto key : kCompletionKeys) {
        const auto value = blob.value(key);
        if (!value) continue;
        if (const auto flag = value->boolean()) return flag;
        if (value->is(PropertyListKind::integer)) return value->integer() != std::int64_t{0};
    }
    return std::nullopt;
}

}  // namespace

MarkerFields MarkerFields::read(const BlobDecoder::DecodedBlob& blob) {
    MarkerFields fields;
    if (const auto text = BlobFields::text(blob, store::kDisplayName)) fields.text = std::string(*text);
    const bool isTodo = blob.hasKey("isTodo");
    if (BlobFields::boolean(blob, "isChapter").value_or(false)) {
        fields.type = MarkerType::chapter;
        if (const auto metadata = blob.dictionary(store::kMetadata)) {
            if (const auto notes = metadata->find(store::kNotes)) {
                if (const auto text = notes->string()) fields.chapterNote = std::string(*text);
            }
        }
    } else if (isTodo) {
        fields.type = MarkerType::todo;
    }
    if (isTodo) fields.completed = completion(blob);
    if (const auto range = BlobFields::timeRange(blob, store::kClippedRange)) fields.start = range->start;
    return fields;
}

std::optional<double> markerTimelinePosition(double start, double containerSourceStart,
                                             double containerTimelineStart) noexcept {
    const double position = (start - containerSourceStart) + containerTimelineStart;
    if (!std::isfinite(position)) return std::nullopt;
    return position;
}

}  // namespace brimlock
