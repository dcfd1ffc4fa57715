#pragma once

#include <compare>
#include <string>
#include <string_view>
#include <vector>

// Unicode-aware text operations over UTF-8 std::string, on ICU. Every function accepts any bytes:
// invalid UTF-8 is read as U+FFFD.
namespace platform {

bool isValidUTF8(std::string_view bytes) noexcept;
// The bytes with every ill-formed sequence replaced by U+FFFD: the one way text read from disk
// becomes a std::string in the core.
std::string sanitizedUTF8(std::string_view bytes);

// Canonical (NFC) form: two texts are canonically equivalent exactly when their canonical forms are
// byte-equal, so this is what equality and hashing of text fields go through.
std::string canonicalForm(std::string_view text);
bool canonicallyEqual(std::string_view a, std::string_view b);

// Whether `text` contains `needle`, ignoring letter case under the current locale's case rules
// (full case folding, so "ß" finds "SS"), not ignoring diacritics, with a precomposed letter equal to
// the same letter plus combining marks. A match never ends inside a combining sequence. An empty
// needle is contained nowhere.
bool localizedCaseInsensitiveContains(std::string_view text, std::string_view needle);

// Whether the current locale folds letter case by the Turkic rules (Turkish, Azerbaijani: "I" folds
// to dotless "ı").
bool usesTurkicCaseRules();

// `text` as the containment test compares it, in UTF-8: canonical, case-folded under the current
// locale's rules, canonical again. Text folded once can be searched for many needles
// (CaseInsensitiveSearch::findInFolded).
std::string foldedForSearch(std::string_view text);

// The same containment test with the needle prepared once (under the locale current at preparation),
// for searching many texts: an ASCII text costs no allocation, whatever the needle.
class CaseInsensitiveSearch {
public:
    explicit CaseInsensitiveSearch(std::string_view needle);

    bool foundIn(std::string_view text) const;

    // The case rules the needle was folded under: texts folded under others cannot be searched with it.
    bool usesTurkicCaseRules() const noexcept { return specialI_; }
    // The needle as foldedForSearch writes it: a match in folded text is this long.
    const std::string& foldedNeedle() const noexcept { return foldedNeedle_; }
    // The first byte offset at or after `from` where the needle stands in `folded` (a text from
    // foldedForSearch under the same case rules) as foundIn finds it: not followed by a combining
    // mark. npos when nowhere, also for the empty needle. A match that ends at the end of `folded`,
    // or before a NUL byte, is whole: NUL-separated texts can be searched in one run.
    std::size_t findInFolded(std::string_view folded, std::size_t from = 0) const;

private:
    std::string foldedNeedle_;       // case-folded NFC, UTF-8 for the ASCII path
    std::u16string foldedNeedle16_;  // and UTF-16 for ICU
    bool specialI_ = false;          // Turkic case rules: ASCII text needs folding too
    bool foldedNeedleIsASCII_ = false;
};

// Full Unicode lower-casing, independent of the locale ("STRASSE" and "Ä" become "strasse", "ä").
std::string lowercased(std::string_view text);

// The text split into user-perceived characters (extended grapheme clusters), as views into it.
std::vector<std::string_view> graphemeClusters(std::string_view text);
// Whether the first scalar of `text` has the Unicode White_Space property.
bool startsWithWhitespace(std::string_view text);
// Whether every scalar of `text` is a space separator (general category Zs) or a tab.
bool isSpaceSeparatorOrTab(std::string_view text);
// `text` without the White_Space scalars (line breaks included), or the space separators and tabs,
// at either end. An ill-formed sequence is not trimmed and ends the trim on its side.
std::string_view trimmedWhitespace(std::string_view text) noexcept;
std::string_view trimmedSpaceSeparatorsAndTabs(std::string_view text) noexcept;

// Collation order under the current locale, ignoring letter case but not diacritics.
std::weak_ordering localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

}  // namespace platform
