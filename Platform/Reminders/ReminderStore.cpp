#include "Platform/Reminders/ReminderStore.h"

#include "Platform/Foundation/UUID.h"
#include "Platform/Foundation/UnicodeText.h"
#include "Platform/Reminders/ReminderStoreError.h"
#include "Platform/Reminders/VTodoCoding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

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

struct SmallFile {
    // A regular file is there.
    bool found = false;
    // Its content, when it could be read whole.
    std::optional<std::string> bytes;
};

SmallFile readSmallFile(const fs::path& path) {
    SmallFile file;
    // Non-blocking: a FIFO in the way must not hang the reader.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        file.found = errno != ENOENT && errno != ENOTDIR;
        return file;
    }
    struct stat status {};
    const bool statted = ::fstat(descriptor, &status) == 0;
    file.found = !statted || S_ISREG(status.st_mode);
    if (statted && S_ISREG(status.st_mode) && static_cast<std::uintmax_t>(status.st_size) <= kMaximumFileSize) {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(status.st_size));
        std::array<char, 16384> chunk;
        for (;;) {
            const ssize_t got = ::read(descriptor, chunk.data(), chunk.size());
            if (got < 0 && errno == EINTR) continue;
            // It may have grown since.
            if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > kMaximumFileSize) break;
            if (got == 0) {
                file.bytes = std::move(bytes);
                break;
            }
            bytes.append(chunk.data(), static_cast<std::size_t>(got));
        }
    }
    ::close(descriptor);
    return file;
}

// The reminder in `folder`/`identifier`.ics: nothing when no such file is there (or it holds another
// kind of item), one with only its identifiers when it cannot be read.
std::optional<Reminder> readReminder(const fs::path& root, const std::string& folder, const std::string& identifier) {
    const SmallFile file = readSmallFile(root / folder / (identifier + ".ics"));
    if (file.bytes) return VTodoCoding::read(*file.bytes, identifier, folder);
    if (!file.found) return std::nullopt;
    Reminder unreadable;
    unreadable.calendarItemIdentifier = identifier;
    unreadable.calendarIdentifier = unreadable.storedCalendarIdentifier = folder;
    return unreadable;
}

// The names of the list folders under `root`, ordered.
std::vector<std::string> listFolders(const fs::path& root) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        std::string name = it->path().filename().string();
        if (isPlainName(name) && it->is_directory(typeError)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
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
    for (const auto& name : listFolders(root_)) {
        if (auto list = calendarWithIdentifier(name)) lists.push_back(std::move(*list));
    }
    return lists;
}

std::optional<ReminderCalendar> ReminderStore::calendarWithIdentifier(const std::string& identifier) const {
    if (!isPlainName(identifier)) return std::nullopt;
    const fs::path folder = root_ / identifier;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return std::nullopt;
    const auto title = readSmallFile(folder / kDisplayNameFile).bytes;
    return ReminderCalendar{.calendarIdentifier = identifier,
                            .title = title ? trimmedTitle(*title) : sanitizedUTF8(identifier),
                            .allowsContentModifications = isWritableFolder(folder),
                            .sourceIdentifier = kLocalSourceIdentifier};
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

const Reminder* ReminderStore::pendingReminder(const std::string& identifier) const {
    const auto pending = pendingReminders_.find(identifier);
    return pending != pendingReminders_.end() ? &pending->second : nullptr;
}

std::optional<Reminder> ReminderStore::calendarItemWithIdentifier(const std::string& identifier) const {
    if (!isPlainName(identifier)) return std::nullopt;
    if (const Reminder* pending = pendingReminder(identifier)) return *pending;
    for (const auto& folder : listFolders(root_)) {
        if (auto reminder = readReminder(root_, folder, identifier)) return reminder;
    }
    return std::nullopt;
}

std::vector<std::optional<Reminder>> ReminderStore::calendarItemsWithIdentifiers(
    const std::vector<std::string>& identifiers) const {
    // Which folder holds each file, from one listing of each list folder; the first list wins.
    std::unordered_map<std::string, std::string> folderOf;
    for (const auto& folder : listFolders(root_)) {
        std::error_code error;
        for (fs::directory_iterator it(root_ / folder, error), end; !error && it != end; it.increment(error)) {
            const fs::path& path = it->path();
            if (path.extension() == ".ics") folderOf.try_emplace(path.stem().string(), folder);
        }
    }
    std::vector<std::optional<Reminder>> reminders;
    reminders.reserve(identifiers.size());
    for (const auto& identifier : identifiers) {
        const Reminder* pending = isPlainName(identifier) ? pendingReminder(identifier) : nullptr;
        const auto folder = isPlainName(identifier) ? folderOf.find(identifier) : folderOf.end();
        if (pending != nullptr) {
            reminders.push_back(*pending);
        } else if (folder != folderOf.end()) {
            reminders.push_back(readReminder(root_, folder->second, identifier));
        } else {
            reminders.push_back(std::nullopt);
        }
    }
    return reminders;
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
    if (pendingReminders_.insert_or_assign(reminder.calendarItemIdentifier, reminder).second) {
        pendingOrder_.push_back(reminder.calendarItemIdentifier);
    }
}

void ReminderStore::writeFile(const fs::path& target, std::string_view bytes) { writeAtomically(target, bytes); }

void ReminderStore::commitCalendar(const ReminderCalendar& calendar) {
    const fs::path folder = root_ / calendar.calendarIdentifier;
    std::error_code error;
    if (fs::is_directory(folder, error)) {
        writeFile(folder / kDisplayNameFile, calendar.title);
        return;
    }
    // Made under a hidden name and renamed when complete: a list appears with its title or not at all.
    const fs::path building = root_ / ("." + calendar.calendarIdentifier + ".tmp");
    fs::remove_all(building, error);
    fs::create_directories(building, error);
    if (error) throw ReminderStoreError("Could not create the list " + folder.string() + ": " + error.message());
    try {
        writeFile(building / kDisplayNameFile, calendar.title);
    } catch (...) {
        fs::remove_all(building, error);
        throw;
    }
    fs::rename(building, folder, error);
    if (error) {
        const std::string reason = error.message();
        fs::remove_all(building, error);
        throw ReminderStoreError("Could not create the list " + folder.string() + ": " + reason);
    }
}

void ReminderStore::commitReminder(const Reminder& reminder, Reminder::Date now) {
    const std::string file = reminder.calendarItemIdentifier + ".ics";
    const fs::path target = root_ / reminder.calendarIdentifier / file;
    const bool moves =
        !reminder.storedCalendarIdentifier.empty() && reminder.storedCalendarIdentifier != reminder.calendarIdentifier;
    const std::string text = VTodoCoding::write(reminder, now);
    if (moves) {
        // Moved first, rewritten after: at every moment the reminder has exactly one file.
        const fs::path stored = root_ / reminder.storedCalendarIdentifier / file;
        std::error_code error;
        fs::rename(stored, target, error);
        if (error == std::errc::cross_device_link) {
            writeFile(target, text);
            fs::remove(stored, error);
            if (error) throw ReminderStoreError("Could not move the reminder " + file + ": " + error.message());
            return;
        }
        if (error && error != std::errc::no_such_file_or_directory)
            throw ReminderStoreError("Could not move the reminder " + file + ": " + error.message());
    }
    writeFile(target, text);
}

void ReminderStore::commit() {
    const auto now = Reminder::Date::clock::now();
    while (!pendingCalendars_.empty()) {
        commitCalendar(pendingCalendars_.front());
        pendingCalendars_.erase(pendingCalendars_.begin());
    }
    while (!pendingOrder_.empty()) {
        const auto pending = pendingReminders_.find(pendingOrder_.front());
        commitReminder(pending->second, now);
        pendingReminders_.erase(pending);
        pendingOrder_.pop_front();
    }
}

void ReminderStore::reset() {
    pendingCalendars_.clear();
    pendingReminders_.clear();
    pendingOrder_.clear();
}

}  // namespace platform
