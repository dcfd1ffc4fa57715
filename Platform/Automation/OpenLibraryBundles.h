#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// Which library bundles a process has open, read from lsof's listing of its open files.
namespace platform::OpenLibraryBundles {

// The command name of Final Cut Pro's process.
inline constexpr const char* kFinalCutProProcessName = "Final Cut Pro";

// lsof -c <processName>: the open files of every process whose command name begins with it. Blocks;
// throws LsofError.
QByteArray listOpenFiles(const QString& processName, std::chrono::milliseconds timeout);

// The bundles of the event databases ("CurrentVersion.fcpevent") and library databases
// ("CurrentVersion.flexolibrary") that lines of lsof's output name, in output order, each once.
// The path of a line runs from its first "/" to its end, untrimmed. A bundle that is not an existing
// directory is left out: lsof appends " (deleted)" to files removed while open, and such a line must
// not send a library to a dead path. Nothing when the output is not UTF-8.
std::optional<QStringList> inLsofOutput(const QByteArray& output);

}  // namespace platform::OpenLibraryBundles
