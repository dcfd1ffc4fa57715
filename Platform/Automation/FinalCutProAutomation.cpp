#include "Platform/Automation/FinalCutProAutomation.h"

#include <QFile>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace platform {

namespace {

// The kernel keeps a command name of at most 15 bytes.
constexpr std::size_t kCommandNameLength = 15;

bool isProcessID(const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

FinalCutProAutomation::FinalCutProAutomation(QString processName, std::chrono::milliseconds timeout)
    : processName_(std::move(processName)), timeout_(timeout) {}

bool FinalCutProAutomation::isRunning() const {
    const std::string wanted = QFile::encodeName(processName_).toStdString().substr(0, kCommandNameLength);
    std::error_code error;
    std::filesystem::directory_iterator processes("/proc", error);
    for (const std::filesystem::directory_iterator end; !error && processes != end; processes.increment(error)) {
        if (!isProcessID(processes->path().filename().string())) continue;
        std::ifstream comm(processes->path() / "comm");  // gone already when the process has ended
        std::string command;
        if (std::getline(comm, command) && command == wanted) return true;
    }
    return false;
}

QStringList FinalCutProAutomation::openLibraries() const {
    if (!isRunning()) throw FinalCutProAutomationError::notRunning();
    QByteArray listing;
    try {
        listing = OpenLibraryBundles::listOpenFiles(processName_, timeout_);
    } catch (const LsofError& error) {
        if (error.kind() == LsofError::Kind::notFound) throw FinalCutProAutomationError::noScriptObject();
        throw FinalCutProAutomationError::scriptFailed(std::nullopt, error.what());
    }
    auto bundles = OpenLibraryBundles::inLsofOutput(listing);
    if (!bundles) throw FinalCutProAutomationError::scriptFailed(std::nullopt, "lsof printed text that is not UTF-8");
    return *bundles;
}

}  // namespace platform
