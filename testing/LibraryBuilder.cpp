#include "testing/LibraryBuilder.h"

#include "testing/EventDatabase.h"
#include "testing/IdentifierGenerator.h"

#include <fstream>
#include <stdexcept>

namespace quillo::testing {

LibraryBuilder::LibraryBuilder(const std::filesystem::path& directory, std::string name, LibraryOptions options)
    : name_(std::move(name)), bundle_(directory / (name_ + ".fcpbundle")), options_(options) {
    if (name_.empty() || name_.find('/') != std::string::npos) throw std::invalid_argument("bad library name");
    if (!std::filesystem::create_directories(bundle_)) {
        throw std::invalid_argument("library bundle already exists: " + bundle_.string());
    }
    if (options_.libraryDatabase) {
        IdentifierGenerator identifiers(IdentifierGenerator::derivedSeed(options_.seed, kLibraryDatabaseFileName));
        EventDatabase store(bundle_ / kLibraryDatabaseFileName, identifiers.next(), name_);
        store.close();
    }
}

LibraryBuilder::~LibraryBuilder() {
    try {
        finish();
    } catch (...) {
        // A fixture that failed to write shows up in the test that reads it.
    }
}

std::filesystem::path LibraryBuilder::resolve(std::string_view relativePath) const {
    const std::filesystem::path relative(relativePath);
    if (relativePath.empty() || relative.is_absolute()) {
        throw std::invalid_argument("not a path inside the bundle: " + std::string(relativePath));
    }
    for (const auto& component : relative) {
        if (component == "..") throw std::invalid_argument("path leaves the bundle: " + std::string(relativePath));
    }
    return bundle_ / relative;
}

EventBuilder& LibraryBuilder::event(std::string_view relativePath) {
    return event(relativePath, options_.eventDefaults);
}

EventBuilder& LibraryBuilder::event(std::string_view relativePath, EventOptions options) {
    if (const auto found = events_.find(relativePath); found != events_.end()) return *found->second;
    const auto folder = resolve(relativePath);
    auto made = std::make_unique<EventBuilder>(folder, folder.filename().string(),
                                               IdentifierGenerator::derivedSeed(options_.seed, relativePath), options);
    return *events_.emplace(std::string(relativePath), std::move(made)).first->second;
}

std::filesystem::path LibraryBuilder::folder(std::string_view relativePath) {
    const auto path = resolve(relativePath);
    std::filesystem::create_directories(path);
    return path;
}

std::filesystem::path LibraryBuilder::file(std::string_view relativePath, std::string_view contents) {
    const auto path = resolve(relativePath);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path;
}

std::filesystem::path LibraryBuilder::symlink(std::string_view relativePath, const std::filesystem::path& target) {
    const auto path = resolve(relativePath);
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::create_symlink(target, path);
    return path;
}

std::filesystem::path LibraryBuilder::unreadableEvent(std::string_view relativePath, std::string_view contents) {
    return file(std::string(relativePath) + "/" + EventBuilder::kDatabaseFileName, contents);
}

std::filesystem::path LibraryBuilder::finish() {
    for (auto& [path, event] : events_) event->finish();
    return bundle_;
}

}  // namespace quillo::testing
