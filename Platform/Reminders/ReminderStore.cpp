#include "Platform/Reminders/ReminderStore.h"

#include "Platform/Foundation/UUID.h"
#include "Platform/Foundation/UnicodeText.h"
#include "Platform/Reminders/ReminderStoreError.h"
#include "Platform/Reminders/VTodoCoding.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLocalSourceIdentifier = "local";
constexpr const char* kDisplayNameFile = "displayname";
// Larger files are not ours to read whole; no reminder comes near this.
constexpr std::uintmax_t kMaximumFileSize = 16 * 1024 * 1024;

// A name that stays one visible entry inside its folder: never a path, never "." or "..".
bool isPlainName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<std::string> readSmallFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    const auto size = fs::file_size(path, error);
    if (error || size > kMaximumFileSize) return std::nullopt;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

std::string errnoText(const std::string& what, const fs::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

// A temporary file beside the target, synced, then renamed over it: a reader (or a sync client)
// sees the old file or the new one. The temporary name ends in ".tmp", which no client reads.
void writeAtomically(const fs::path& target, std::string_view bytes) {
    const fs::path temporary =
        target.parent_path() / ("." + target.filename().string() + "." + UUID::random().uuidString() + ".tmp");
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0) throw ReminderStoreError(errnoText("Could not write", target));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (result < 0 && errno == EINTR) continue;
        if (result <= 0) break;
        written += static_cast<std::size_t>(result);
    }
    const bool complete = written == bytes.size() && ::fsync(descriptor) == 0;
    const std::string failure = complete ? std::string() : errnoText("Could not write", target);
    ::close(descriptor);
    std::error_code error;
    if (complete) fs::rename(temporary, target, error);
    if (!complete || error) {
        fs::remove(temporary, error);
        throw ReminderStoreError(complete ? "Could not write " + target.string() : failure);
    }
}

bool isWritableFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error) && ::access(path.c_str(), W_OK) == 0;
}

std::string trimmedTitle(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return sanitizedUTF8(text);
}

}  // namespace

ReminderStore::ReminderStore(fs::path root) : root_(std::move(root)) {}

ReminderStore::~ReminderStore() = default;

fs::path ReminderStore::defaultRoot() {
    if (const char* override = std::getenv("QUILLOTODO_REMINDERS_DIR"); override != nullptr && *override != '\0') {
        return override;
    }
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return fs::path(data) / "calendars";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr ? home : "/") / ".local" / "share" / "calendars";
}

ReminderAuthorizationStatus ReminderStore::authorizationStatus() const {
    std::error_code error;
    if (!fs::exists(root_, error)) return ReminderAuthorizationStatus::notDetermined;
    return isWritableFolder(root_) ? ReminderAuthorizationStatus::fullAccess : ReminderAuthorizationStatus::denied;
}

bool ReminderStore::requestFullAccess() {
    std::error_code error;
    fs::create_directories(root_, error);
    if (error) {
        throw ReminderStoreError("The reminders folder " + root_.string() + " cannot be created: " + error.message() +
                                 ".");
    }
    return authorizationStatus() == ReminderAuthorizationStatus::fullAccess;
}

std::vector<ReminderCalendar> ReminderStore::calendars() const {
    std::vector<ReminderCalendar> lists;
    std::error_code error;
    for (fs::directory_iterator it(root_, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!isPlainName(name) || !it->is_directory(error)) continue;
        const auto title = readSmallFile(it->path() / kDisplayNameFile);
        lists.push_back(ReminderCalendar{.calendarIdentifier = name,
                                         .title = title ? trimmedTitle(*title) : sanitizedUTF8(name),
                                         .allowsContentModifications = isWritableFolder(it->path()),
                                         .sourceIdentifier = kLocalSourceIdentifier});
    }
    std::sort(lists.begin(), lists.end(),
              [](const auto& a, const auto& b) { return a.calendarIdentifier < b.calendarIdentifier; });
    return lists;
}

std::optional<ReminderCalendar> ReminderStore::calendarWithIdentifier(const std::string& identifier) const {
    if (!isPlainName(identifier)) return std::nullopt;
    for (auto& calendar : calendars()) {
        if (calendar.calendarIdentifier == identifier) return calendar;
    }
    return std::nullopt;
}

std::vector<ReminderSource> ReminderStore::sources() const {
    return {ReminderSource{
        .sourceIdentifier = kLocalSourceIdentifier, .sourceType = ReminderSource::Type::local, .title = "Local"}};
}

ReminderCalendar ReminderStore::newCalendar() const {
    ReminderCalendar calendar;
    calendar.calendarIdentifier = UUID::random().uuidString();
    calendar.sourceIdentifier = kLocalSourceIdentifier;
    return calendar;
}

void ReminderStore::saveCalendar(const ReminderCalendar& calendar) {
    if (!isPlainName(calendar.calendarIdentifier)) throw ReminderStoreError("The list has no valid identifier.");
    std::erase_if(pendingCalendars_,
                  [&](const auto& c) { return c.calendarIdentifier == calendar.calendarIdentifier; });
    pendingCalendars_.push_back(calendar);
}

std::optional<Reminder> ReminderStore::calendarItemWithIdentifier(const std::string& identifier) const {
    if (!isPlainName(identifier)) return std::nullopt;
    const auto pending = std::find_if(pendingReminders_.rbegin(), pendingReminders_.rend(),
                                      [&](const auto& r) { return r.calendarItemIdentifier == identifier; });
    if (pending != pendingReminders_.rend()) return *pending;
    for (const auto& calendar : calendars()) {
        const auto text = readSmallFile(root_ / calendar.calendarIdentifier / (identifier + ".ics"));
        if (text) return VTodoCoding::read(*text, identifier, calendar.calendarIdentifier);
    }
    return std::nullopt;
}

Reminder ReminderStore::newReminder() const {
    Reminder reminder;
    reminder.calendarItemIdentifier = UUID::random().uuidString();
    return reminder;
}

void ReminderStore::saveReminder(const Reminder& reminder) {
    if (!isPlainName(reminder.calendarItemIdentifier))
        throw ReminderStoreError("The reminder has no valid identifier.");
    const bool listPending = std::any_of(pendingCalendars_.begin(), pendingCalendars_.end(), [&](const auto& c) {
        return c.calendarIdentifier == reminder.calendarIdentifier;
    });
    if (!listPending) {
        const auto list = calendarWithIdentifier(reminder.calendarIdentifier);
        if (!list) throw ReminderStoreError("The reminder's list does not exist.");
        if (!list->allowsContentModifications) throw ReminderStoreError("The reminder's list cannot be changed.");
    }
    std::erase_if(pendingReminders_,
                  [&](const auto& r) { return r.calendarItemIdentifier == reminder.calendarItemIdentifier; });
    pendingReminders_.push_back(reminder);
}

void ReminderStore::commit() {
    const auto now = Reminder::Date::clock::now();
    for (const auto& calendar : pendingCalendars_) {
        const fs::path folder = root_ / calendar.calendarIdentifier;
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) throw ReminderStoreError("Could not create the list " + folder.string() + ": " + error.message());
        writeAtomically(folder / kDisplayNameFile, calendar.title);
    }
    pendingCalendars_.clear();
    while (!pendingReminders_.empty()) {
        const Reminder& reminder = pendingReminders_.front();
        const std::string file = reminder.calendarItemIdentifier + ".ics";
        writeAtomically(root_ / reminder.calendarIdentifier / file, VTodoCoding::write(reminder, now));
        if (!reminder.storedCalendarIdentifier.empty() &&
            reminder.storedCalendarIdentifier != reminder.calendarIdentifier) {
            std::error_code error;
            fs::remove(root_ / reminder.storedCalendarIdentifier / file, error);
            if (error) throw ReminderStoreError("Could not move the reminder " + file + ": " + error.message());
        }
        pendingReminders_.erase(pendingReminders_.begin());
    }
}

void ReminderStore::reset() {
    pendingCalendars_.clear();
    pendingReminders_.clear();
}

}  // namespace platform
