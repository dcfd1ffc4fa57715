#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "Platform/Foundation/UnicodeText.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quillo {

// The texts MarkerFilter searches in each item of one list (`text`, `rawText`, `assigneeName`,
// `libraryName`, `eventName`, `timelineName`), folded once under the case rules of the locale current
// at construction, so that a search over the whole list is one byte search. Each distinct text is held
// once: the names of a library, its events and its timelines, and every text that repeats, are
// searched once per search rather than once per item.
//
// Folding tens of thousands of items takes tens of milliseconds: build it off the main thread. It
// keeps nothing of the items, so it may outlive them.
class MarkerSearchTexts {
public:
    explicit MarkerSearchTexts(const std::vector<TodoItem>& items);

    // The number of items it was built from.
    std::size_t size() const noexcept { return itemTexts_.size(); }
    bool usesTurkicCaseRules() const noexcept { return turkic_; }

    // Which items hold a needle in one of their searched texts, as CaseInsensitiveSearch::foundIn
    // finds it in the text itself.
    class Hits {
    public:
        bool operator[](std::size_t item) const;

    private:
        friend class MarkerSearchTexts;
        Hits(const MarkerSearchTexts& texts, std::vector<std::uint8_t> found)
            : texts_(&texts), found_(std::move(found)) {}
        const MarkerSearchTexts* texts_;
        std::vector<std::uint8_t> found_;  // by distinct text
    };
    // `search` must have been prepared under the same case rules (usesTurkicCaseRules). The hits
    // refer to these texts: they must not outlive them.
    Hits hits(const platform::CaseInsensitiveSearch& search) const;

private:
    static constexpr std::size_t kSearchedFields = 6;

    std::string folded_;                 // the distinct folded texts, each followed by a NUL byte
    std::vector<std::uint32_t> starts_;  // where each begins in folded_, ascending
    // Per item, the indexes of its searched texts in starts_; an absent assignee is the empty text,
    // which holds no needle.
    std::vector<std::array<std::uint32_t, kSearchedFields>> itemTexts_;
    bool turkic_;
};

}  // namespace quillo
