// Feeds arbitrary bytes to the VTODO reader as the content of a reminder file. Whatever reads as a
// reminder must survive a rewrite: written back and read again, it keeps the fields the store maps,
// and its completion when that is left alone or flipped.
#include "Platform/Reminders/VTodoCoding.h"

#include "Platform/Foundation/UnicodeText.h"
#include "fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using fuzz::require;

namespace {

// libical drops blanks around a value when it reads it, as other clients do.
std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::textOf(data, size);
    auto reminder = platform::VTodoCoding::read(input, "fuzz", "list");
    if (!reminder) return 0;
    require(platform::isValidUTF8(reminder->title));
    require(reminder->priority >= 0 && reminder->priority <= 9);

    reminder->title = "Edited: " + reminder->title;
    const auto now = platform::Reminder::Date::clock::from_time_t(1700000000);
    auto again = platform::VTodoCoding::read(platform::VTodoCoding::write(*reminder, now), "fuzz", "list");
    require(again.has_value());
    require(trimmed(again->title) == trimmed(reminder->title));
    require(again->priority == reminder->priority);
    require(again->isCompleted == reminder->isCompleted);

    again->isCompleted = !again->isCompleted;
    const auto flipped = platform::VTodoCoding::read(platform::VTodoCoding::write(*again, now), "fuzz", "list");
    require(flipped.has_value());
    require(flipped->isCompleted == again->isCompleted);
    return 0;
}
