#include "BrimlockCore/Resolver/EditDecisionList.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace brimlock {

EditDecisionList::EditDecisionList(std::int64_t timelineID, std::vector<EditEntry> entries,
                                   std::vector<LaidInItem> laidInItems)
    : timelineID_(timelineID), laidInItems_(std::move(laidInItems)) {
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return entries[a].timelineIn < entries[b].timelineIn; });

    // sortedPlace[i]: where the entry given at i lands.
    std::vector<std::size_t> sortedPlace(entries.size());
    entries_.reserve(entries.size());
    for (std::size_t place = 0; place < order.size(); ++place) {
        sortedPlace[order[place]] = place;
        entries_.push_back(std::move(entries[order[place]]));
    }
    for (auto& item : laidInItems_) {
        const std::size_t before = std::min(item.entriesBefore, entries_.size());
        item.entriesBefore = before == 0 ? 0 : sortedPlace[before - 1] + 1;
    }
    std::stable_sort(laidInItems_.begin(), laidInItems_.end(),
                     [](const LaidInItem& a, const LaidInItem& b) { return a.entriesBefore < b.entriesBefore; });
}

double EditDecisionList::duration() const noexcept { return entries_.empty() ? 0.0 : entries_.back().timelineOut; }

const EditEntry* EditDecisionList::lookup(double t) const noexcept {
    if (std::isnan(t) || entries_.empty()) return nullptr;
    std::ptrdiff_t low = 0;
    auto high = static_cast<std::ptrdiff_t>(entries_.size()) - 1;
    while (low <= high) {
        const std::ptrdiff_t mid = low + (high - low) / 2;
        const EditEntry& entry = entries_[static_cast<std::size_t>(mid)];
        if (entry.timelineIn > t) {
            high = mid - 1;
        } else if (entry.timelineOut <= t) {
            low = mid + 1;
        } else {
            return &entry;
        }
    }
    return nullptr;
}

const EditEntry* EditDecisionList::lookup(std::int64_t frame, FrameRate rate) const noexcept {
    return lookup(static_cast<double>(frame) / fps(rate));
}

std::vector<const EditEntry*> EditDecisionList::lookup(double startSeconds, double endSeconds) const {
    std::vector<const EditEntry*> found;
    if (entries_.empty()) return found;
    // The first entry that ends after the start.
    std::size_t low = 0;
    std::size_t high = entries_.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (entries_[mid].timelineOut > startSeconds) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    for (std::size_t i = low == entries_.size() ? 0 : low; i < entries_.size(); ++i) {
        const EditEntry& entry = entries_[i];
        if (entry.timelineIn >= endSeconds) break;
        if (entry.timelineOut > startSeconds) found.push_back(&entry);
    }
    return found;
}

}  // namespace brimlock
