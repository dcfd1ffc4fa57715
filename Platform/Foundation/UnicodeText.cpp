#include "Platform/Foundation/UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

namespace platform {

namespace {

bool isASCII(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

icu::UnicodeString toUnicode(std::string_view text) {
    // fromUTF8 turns ill-formed sequences into U+FFFD.
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string toUTF8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

const icu::Normalizer2& nfc() {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* instance = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || instance == nullptr) throw std::runtime_error("ICU NFC data is unavailable");
    return *instance;
}

icu::UnicodeString normalized(const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString out = nfc().normalize(text, status);
    return U_SUCCESS(status) ? out : text;
}

// Turkic locales fold "I" to dotless "ı", so ASCII text cannot take the byte-wise fast path there.
bool localeHasSpecialI() {
    const std::string_view language = icu::Locale::getDefault().getLanguage();
    return language == "tr" || language == "az";
}

icu::UnicodeString foldedUnicode(std::string_view text, bool specialI) {
    icu::UnicodeString unicode = toUnicode(text);
    // Fold after normalising and normalise again: folding can split or expose composable sequences.
    unicode = normalized(unicode);
    unicode.foldCase(specialI ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT);
    return normalized(unicode);
}

bool isCombining(UChar32 c) {
    const auto category = u_charType(c);
    return category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_COMBINING_SPACING_MARK ||
           u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND);
}

char asciiLower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool asciiContainsIgnoringCase(std::string_view text, std::string_view needle) noexcept {
    const auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return asciiLower(a) == asciiLower(b); });
    return found != text.end();
}

}  // namespace

bool isValidUTF8(std::string_view bytes) noexcept {
    int32_t i = 0;
    const auto length = static_cast<int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX));
    if (static_cast<std::size_t>(length) != bytes.size()) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    while (i < length) {
        UChar32 c;
        U8_NEXT(data, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

std::string sanitizedUTF8(std::string_view bytes) {
    if (isASCII(bytes) || isValidUTF8(bytes)) return std::string(bytes);
    return toUTF8(toUnicode(bytes));
}

std::string canonicalForm(std::string_view text) {
    if (isASCII(text)) return std::string(text);
    const icu::UnicodeString unicode = toUnicode(text);
    UErrorCode status = U_ZERO_ERROR;
    if (nfc().isNormalized(unicode, status) && U_SUCCESS(status) && isValidUTF8(text)) return std::string(text);
    return toUTF8(normalized(unicode));
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (isASCII(a) && isASCII(b)) return false;
    return canonicalForm(a) == canonicalForm(b);
}

bool usesTurkicCaseRules() { return localeHasSpecialI(); }

std::string foldedForSearch(std::string_view text) {
    const bool specialI = localeHasSpecialI();
    if (!specialI && isASCII(text)) {
        // ASCII is canonical already and folds to its lower case.
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(), asciiLower);
        return out;
    }
    return toUTF8(foldedUnicode(text, specialI));
}

bool localizedCaseInsensitiveContains(std::string_view text, std::string_view needle) {
    return CaseInsensitiveSearch(needle).foundIn(text);
}

CaseInsensitiveSearch::CaseInsensitiveSearch(std::string_view needle) : specialI_(localeHasSpecialI()) {
    if (needle.empty()) return;
    const icu::UnicodeString folded = foldedUnicode(needle, specialI_);
    foldedNeedle_ = toUTF8(folded);
    foldedNeedle16_.assign(folded.getBuffer(), static_cast<std::size_t>(folded.length()));
    foldedNeedleIsASCII_ = isASCII(foldedNeedle_);
}

bool CaseInsensitiveSearch::foundIn(std::string_view text) const {
    if (foldedNeedle_.empty()) return false;
    if (!specialI_ && isASCII(text)) {
        // ASCII folds to ASCII, so a needle that folds to anything else cannot be inside.
        return foldedNeedleIsASCII_ && asciiContainsIgnoringCase(text, foldedNeedle_);
    }
    const icu::UnicodeString foldedText = foldedUnicode(text, specialI_);
    // A read-only alias: no copy of the needle per text.
    const icu::UnicodeString foldedNeedle(false, foldedNeedle16_.data(), static_cast<int32_t>(foldedNeedle16_.size()));
    for (int32_t from = 0;;) {
        const int32_t at = foldedText.indexOf(foldedNeedle, from);
        if (at < 0) return false;
        const int32_t end = at + foldedNeedle.length();
        // A match that stops before a combining mark would find "e" inside "e\u0331": not a match.
        if (end >= foldedText.length() || !isCombining(foldedText.char32At(end))) return true;
        from = at + 1;
    }
}

std::size_t CaseInsensitiveSearch::findInFolded(std::string_view folded, std::size_t from) const {
    if (foldedNeedle_.empty()) return std::string_view::npos;
    // Both sides are well-formed UTF-8 (folding replaced what was not): a byte match starts and ends
    // on scalar boundaries.
    const auto* data = reinterpret_cast<const uint8_t*>(folded.data());
    const auto length = static_cast<int32_t>(std::min<std::size_t>(folded.size(), INT32_MAX));
    for (std::size_t at; (at = folded.find(foldedNeedle_, from)) != std::string_view::npos; from = at + 1) {
        auto end = static_cast<int32_t>(at + foldedNeedle_.size());
        if (end >= length) return at;
        UChar32 next;
        U8_NEXT(data, end, length, next);
        if (next < 0 || !isCombining(next)) return at;
    }
    return std::string_view::npos;
}

std::string lowercased(std::string_view text) {
    if (isASCII(text)) {
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(), asciiLower);
        return out;
    }
    icu::UnicodeString unicode = toUnicode(text);
    unicode.toLower(icu::Locale::getRoot());
    return toUTF8(unicode);
}

std::vector<std::string_view> graphemeClusters(std::string_view text) {
    std::vector<std::string_view> clusters;
    if (text.empty()) return clusters;
    if (isASCII(text)) {
        // Every ASCII character is its own cluster except CR LF.
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::size_t length = (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            clusters.push_back(text.substr(i, length));
            i += length - 1;
        }
        return clusters;
    }
    // Iterate the UTF-8 itself so break positions are byte offsets into `text`.
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    thread_local std::unique_ptr<icu::BreakIterator> iterator;
    if (!iterator) iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !iterator) {
        utext_close(utext);
        throw std::runtime_error("ICU grapheme break data is unavailable");
    }
    iterator->setText(utext, status);
    int32_t start = iterator->first();
    for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; start = end, end = iterator->next())
        clusters.push_back(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
    iterator->setText(icu::UnicodeString());  // drop the reference to `utext` before closing it
    utext_close(utext);
    return clusters;
}

namespace {

// The scalars of UTF-8 text; an ill-formed sequence reads as U+FFFD.
template <class F>
bool allScalars(std::string_view text, F&& predicate) {
    const auto* data = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(data, i, length, c);
        if (!predicate(c < 0 ? 0xFFFD : c)) return false;
    }
    return true;
}

// Drops leading and trailing scalars for which `trims` holds; an ill-formed sequence stops it.
template <class F>
std::string_view trimmedScalars(std::string_view text, F&& trims) noexcept {
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) return text;  // beyond ICU's indexes
    const auto* data = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t first = 0;
    while (first < length) {
        int32_t next = first;
        UChar32 c;
        U8_NEXT(data, next, length, c);
        if (c < 0 || !trims(c)) break;
        first = next;
    }
    int32_t last = length;
    while (last > first) {
        int32_t previous = last;
        UChar32 c;
        U8_PREV(data, first, previous, c);
        if (c < 0 || !trims(c)) break;
        last = previous;
    }
    return text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
}

bool isSpaceSeparatorOrTabScalar(UChar32 c) noexcept { return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR; }

}  // namespace

bool startsWithWhitespace(std::string_view text) {
    if (text.empty()) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(text.data());
    int32_t i = 0;
    UChar32 c;
    U8_NEXT(data, i, static_cast<int32_t>(std::min<std::size_t>(text.size(), 4)), c);
    return c >= 0 && u_hasBinaryProperty(c, UCHAR_WHITE_SPACE);
}

bool isSpaceSeparatorOrTab(std::string_view text) {
    return !text.empty() && allScalars(text, isSpaceSeparatorOrTabScalar);
}

std::string_view trimmedWhitespace(std::string_view text) noexcept {
    return trimmedScalars(text, [](UChar32 c) { return u_isUWhiteSpace(c) != 0; });
}

std::string_view trimmedSpaceSeparatorsAndTabs(std::string_view text) noexcept {
    return trimmedScalars(text, isSpaceSeparatorOrTabScalar);
}

std::weak_ordering localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
    thread_local std::unique_ptr<icu::Collator> collator;
    thread_local std::string collatorLocale;
    const std::string locale = icu::Locale::getDefault().getName();
    if (!collator || collatorLocale != locale) {
        UErrorCode status = U_ZERO_ERROR;
        // The C locale maps to en_US_POSIX, whose collation orders letters by code point and so
        // tells case apart even at this strength: compare there by the root collation instead.
        const bool posix = std::string_view(icu::Locale::getDefault().getVariant()) == "POSIX";
        collator.reset(
            icu::Collator::createInstance(posix ? icu::Locale::getRoot() : icu::Locale::getDefault(), status));
        if (U_FAILURE(status) || !collator) throw std::runtime_error("ICU collator is unavailable");
        collator->setStrength(icu::Collator::SECONDARY);  // accents count, case does not
        collator->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
        collatorLocale = locale;
    }
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                              icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (result == UCOL_LESS) return std::weak_ordering::less;
    if (result == UCOL_GREATER) return std::weak_ordering::greater;
    return std::weak_ordering::equivalent;
}

}  // namespace platform
