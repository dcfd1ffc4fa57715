#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace quillo::testing {

// A running stand-in for Final Cut Pro: a process whose command name is "Final Cut Pro" (or
// `commandName`) holding the given files open. Started by the constructor, which returns once every
// file is open; ended when the object goes.
class FinalCutProProcess {
public:
    FinalCutProProcess(const std::filesystem::path& directory, const QStringList& openFiles,
                       const QString& commandName = QStringLiteral("Final Cut Pro"));
    ~FinalCutProProcess();
    FinalCutProProcess(const FinalCutProProcess&) = delete;
    FinalCutProProcess& operator=(const FinalCutProProcess&) = delete;

    bool isReady() const noexcept { return ready_; }

private:
    QProcess process_;
    bool ready_ = false;
};

}  // namespace quillo::testing
