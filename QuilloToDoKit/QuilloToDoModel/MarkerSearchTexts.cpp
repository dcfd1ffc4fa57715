#include "QuilloToDoKit/QuilloToDoModel/MarkerSearchTexts.h"

#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace quillo {

MarkerSearchTexts::MarkerSearchTexts(const std::vector<TodoItem>& items) : turkic_(platform::usesTurkicCaseRules()) {
    // Raw texts that repeat are folded once; raw texts that fold alike (other case, other spelling
    // of the same letters) share one folded text.
    std::unordered_map<std::string_view, std::uint32_t> byRaw;
    std::unordered_map<std::string, std::uint32_t> byFolded;
    const auto textIndex = [&](std::string_view raw) {
        if (const auto found = byRaw.find(raw); found != byRaw.end()) return found->second;
        std::string folded = platform::foldedForSearch(raw);
        if (folded_.size() + folded.size() + 1 > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("too much text to search");
        const auto [entry, isNew] = byFolded.try_emplace(std::move(folded), static_cast<std::uint32_t>(starts_.size()));
        if (isNew) {
            starts_.push_back(static_cast<std::uint32_t>(folded_.size()));
            folded_.append(entry->first).push_back('\0');
        }
        byRaw.emplace(raw, entry->second);
        return entry->second;
    };
    itemTexts_.reserve(items.size());
    for (const TodoItem& item : items) {
        itemTexts_.push_back({textIndex(item.text), textIndex(item.rawText),
                              textIndex(item.assigneeName ? std::string_view(*item.assigneeName) : std::string_view()),
                              textIndex(item.libraryName), textIndex(item.eventName), textIndex(item.timelineName)});
    }
}

MarkerSearchTexts::Hits MarkerSearchTexts::hits(const platform::CaseInsensitiveSearch& search) const {
    std::vector<std::uint8_t> found(starts_.size());
    const std::string_view all(folded_);
    const std::size_t needle = search.foldedNeedle().size();
    std::size_t text = 0;
    for (std::size_t at = search.findInFolded(all); at != std::string_view::npos;) {
        // Matches come in ascending order: the text a match starts in only moves forward.
        while (text + 1 < starts_.size() && starts_[text + 1] <= at) ++text;
        const std::size_t end = text + 1 < starts_.size() ? starts_[text + 1] - 1 : all.size() - 1;  // its NUL
        if (at + needle <= end) {
            found[text] = 1;
            at = search.findInFolded(all, end + 1);  // one match is enough for a text
        } else {
            at = search.findInFolded(all, at + 1);  // runs into the next text: no match of this one
        }
    }
    return Hits(*this, std::move(found));
}

bool MarkerSearchTexts::Hits::operator[](std::size_t item) const {
    for (const std::uint32_t text : texts_->itemTexts_[item]) {
        if (found_[text] != 0) return true;
    }
    return false;
}

}  // namespace quillo
