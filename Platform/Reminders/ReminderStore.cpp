#include "Platform/Reminders/ReminderStore.h"

#include "Platform/Foundation/AtomicFile.h"
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
    enum class State {
        // No such file, or a path through something that is not a folder.
        missing,
        // Something other than a regular file.
        notRegular,
        // Read whole into `bytes`.
        read,
        // Opened, but larger than what is read whole.
        tooLarge,
        // Could not be opened or read: `failure` says why.
        failed,
    };
    State state = State::missing;
    std::string bytes;
    std::string failure;
};

std::string errorText(const std::string& what, const fs::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

SmallFile readSmallFile(const fs::path& path) {
    SmallFile file;
    // Non-blocking: a FIFO in the way must not hang the reader.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        const int error = errno;
        if (error != ENOENT && error != ENOTDIR) {
            file.state = SmallFile::State::failed;
            file.failure = errorText("Could not read", path, error);
        }
        return file;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        file.state = SmallFile::State::failed;
        file.failure = errorText("Could not read", path, errno);
    } else if (!S_ISREG(status.st_mode)) {
        file.state = SmallFile::State::notRegular;
    } else if (static_cast<std::uintmax_t>(status.st_size) > kMaximumFileSize) {
        file.state = SmallFile::State::tooLarge;
    } else {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(status.st_size));
        std::array<char, 16384> chunk;
        for (;;) {
            const ssize_t got = ::read(descriptor, chunk.data(), chunk.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                file.state = SmallFile::State::failed;
                file.failure = errorText("Could not read", path, errno);
                break;
            }
            // It may have grown since.
            if (bytes.size() + static_cast<std::size_t>(got) > kMaximumFileSize) {
                file.state = SmallFile::State::tooLarge;
                break;
            }
            if (got == 0) {
                file.state = SmallFile::State::read;
                file.bytes = std::move(bytes);
                break;
            }
            bytes.append(chunk.data(), static_cast<std::size_t>(got));
        }
    }
    ::close(descriptor);
    return file;
}

ReminderLookup found(Reminder reminder) { return ReminderLookup{.reminder = std::move(reminder)}; }
ReminderLookup unreadable(std::string reason) { return ReminderLookup{.unreadableReason = std::move(reason)}; }

// The reminder in `folder`/`identifier`.ics. Gone when no such file is there (or it holds another
// kind of item); found with only its identifiers when it was opened but could not be parsed or is
// too large; not known when it could not be opened or read.
ReminderLookup readReminder(const fs::path& root, const std::string& folder, const std::string& identifier) {
    const SmallFile file = readSmallFile(root / folder / (identifier + ".ics"));
    switch (file.state) {
    case SmallFile::State::missing:
    case SmallFile::State::notRegular: return {};
    case SmallFile::State::failed: return unreadable(file.failure);
    case SmallFile::State::read: {
        auto reminder = VTodoCoding::read(file.bytes, identifier, folder);
        return reminder ? found(std::move(*reminder)) : ReminderLookup{};
    }
    case SmallFile::State::tooLarge: break;
    }
    Reminder unparsed;
    unparsed.calendarItemIdentifier = identifier;
    unparsed.calendarIdentifier = unparsed.storedCalendarIdentifier = folder;
    return found(std::move(unparsed));
}

// The names in a folder, ordered, that `keep` accepts. A folder that is not there (or is no folder)
// has no names; one that cannot be listed whole has a failure saying why.
struct Listing {
    std::vector<std::string> names;
    std::optional<std::string> failure;
};

template <class Keep>
Listing listFolder(const fs::path& folder, Keep keep) {
    Listing listing;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) return listing;
    for (fs::directory_iterator end; !error && it != end; it.increment(error)) {
        if (auto name = keep(*it, error)) listing.names.push_back(std::move(*name));
    }
    if (error) listing.failure = "Could not list " + folder.string() + ": " + error.message();
    std::sort(listing.names.begin(), listing.names.end());
    return listing;
}

// The list folders under `root`. An entry whose kind cannot be told may be a list: that is a failure
// too, as what it holds is not known.
Listing listFolders(const fs::path& root) {
    return listFolder(root, [](const fs::directory_entry& entry, std::error_code& error) -> std::optional<std::string> {
        std::string name = entry.path().filename().string();
        if (!isPlainName(name)) return std::nullopt;
        std::error_code typeError;
        const bool isFolder = entry.is_directory(typeError);
        if (typeError && typeError != std::errc::no_such_file_or_directory) error = typeError;
        return isFolder ? std::optional(std::move(name)) : std::nullopt;
    });
}

// The identifiers of the reminder files in one list folder.
Listing listReminderFiles(const fs::path& folder) {
    return listFolder(folder, [](const fs::directory_entry& entry, std::error_code&) -> std::optional<std::string> {
        if (entry.path().extension() != ".ics") return std::nullopt;
        return entry.path().stem().string();
    });
}

void syncFolderOrThrow(const fs::path& folder) {
    if (auto failure = syncFolder(folder)) throw ReminderStoreError(*failure);
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
    const Listing folders = listFolders(root_);
    if (folders.failure) throw ReminderStoreError(*folders.failure);
    std::vector<ReminderCalendar> lists;
    for (const auto& name : folders.names) {
        if (auto list = calendarWithIdentifier(name)) lists.push_back(std::move(*list));
    }
    return lists;
}

std::optional<ReminderCalendar> ReminderStore::calendarWithIdentifier(const std::string& identifier) const {
    if (!isPlainName(identifier)) return std::nullopt;
    const fs::path folder = root_ / identifier;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return std::nullopt;
    const SmallFile title = readSmallFile(folder / kDisplayNameFile);
    return ReminderCalendar{
        .calendarIdentifier = identifier,
        .title = title.state == SmallFile::State::read ? trimmedTitle(title.bytes) : sanitizedUTF8(identifier),
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

ReminderLookup ReminderStore::calendarItemWithIdentifier(const std::string& identifier) const {
    return calendarItemsWithIdentifiers({identifier}).front();
}

std::vector<ReminderLookup> ReminderStore::calendarItemsWithIdentifiers(
    const std::vector<std::string>& identifiers) const {
    std::vector<ReminderLookup> lookups(identifiers.size());
    const auto wanted = [&](std::size_t i) {
        return isPlainName(identifiers[i]) && pendingReminder(identifiers[i]) == nullptr;
    };
    bool anyOnDisk = false;
    for (std::size_t i = 0; i < identifiers.size(); ++i) {
        if (!isPlainName(identifiers[i])) continue;
        if (const Reminder* pending = pendingReminder(identifiers[i])) {
            lookups[i] = found(*pending);
        } else {
            anyOnDisk = true;
        }
    }
    if (!anyOnDisk) return lookups;

    // Which folder holds each file, from one listing of each list folder; the first list wins. What
    // a list that could not be listed holds is not known: a file found in none is then not known
    // to be gone.
    const Listing folders = listFolders(root_);
    std::optional<std::string> failure = folders.failure;
    std::unordered_map<std::string, std::string> folderOf;
    for (const auto& folder : folders.names) {
        const Listing files = listReminderFiles(root_ / folder);
        if (files.failure && !failure) failure = files.failure;
        for (const auto& name : files.names) folderOf.try_emplace(name, folder);
    }
    for (std::size_t i = 0; i < identifiers.size(); ++i) {
        if (!wanted(i)) continue;
        if (const auto folder = folderOf.find(identifiers[i]); folder != folderOf.end()) {
            lookups[i] = readReminder(root_, folder->second, identifiers[i]);
        } else if (failure) {
            lookups[i] = unreadable(*failure);
        }
    }
    return lookups;
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

void ReminderStore::writeFile(const fs::path& target, std::string_view bytes) {
    if (auto failure = replaceFileAtomically(target, bytes, {}, FolderSync::byCaller))
        throw ReminderStoreError(*failure);
    unsyncedFolders_.insert(target.parent_path());
}

std::optional<std::string> ReminderStore::syncFolders() {
    std::optional<std::string> failure;
    for (const auto& folder : unsyncedFolders_) {
        if (auto failed = syncFolder(folder); failed && !failure) failure = std::move(failed);
    }
    unsyncedFolders_.clear();
    return failure;
}

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
        unsyncedFolders_.erase(building);
        syncFolderOrThrow(building);  // now: after the rename below, this name is gone
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
    unsyncedFolders_.insert(root_);
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
            unsyncedFolders_.insert(stored.parent_path());
            if (error) throw ReminderStoreError("Could not move the reminder " + file + ": " + error.message());
            return;
        }
        if (error && error != std::errc::no_such_file_or_directory)
            throw ReminderStoreError("Could not move the reminder " + file + ": " + error.message());
        if (!error) unsyncedFolders_.insert({stored.parent_path(), target.parent_path()});
    }
    writeFile(target, text);
}

void ReminderStore::commit() {
    const auto now = Reminder::Date::clock::now();
    try {
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
    } catch (...) {
        // What was written stays written, durably as far as it goes; the first failure is the one to report.
        syncFolders();
        throw;
    }
    if (auto failure = syncFolders()) throw ReminderStoreError(*failure);
}

void ReminderStore::reset() {
    pendingCalendars_.clear();
    pendingReminders_.clear();
    pendingOrder_.clear();
}

}  // namespace platform
