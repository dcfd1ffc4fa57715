#pragma once

#include "Platform/Automation/FinalCutProAutomationError.h"
#include "Platform/Automation/Lsof.h"
#include "Platform/Automation/OpenLibraryBundles.h"

#include <QString>
#include <QStringList>

#include <chrono>

namespace platform {

// What stands in for asking Final Cut Pro by Apple Events which libraries it has open: the
// application runs when a process of its command name exists, and its open libraries are the bundles
// whose databases that process holds open, as lsof lists them. Blocks while lsof runs: never call
// it on the main thread.
class FinalCutProAutomation {
public:
    explicit FinalCutProAutomation(QString processName = QString::fromUtf8(OpenLibraryBundles::kFinalCutProProcessName),
                                   std::chrono::milliseconds timeout = Lsof::kDefaultTimeout);

    // A process whose command name (/proc/<pid>/comm, which the system cuts to 15 bytes) is the
    // application's.
    bool isRunning() const;

    // The library bundles the application has open, in lsof's order, each once. Throws
    // FinalCutProAutomationError: not running; no lsof to ask (the script object cannot be made); a
    // run that fails, times out or prints other text than UTF-8 (a failed script run without number).
    QStringList openLibraries() const;

private:
    QString processName_;
    std::chrono::milliseconds timeout_;
};

}  // namespace platform
