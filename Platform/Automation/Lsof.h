#pragma once

#include "Platform/Automation/LsofError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>

// The system's lsof, run as a child process. Blocks the calling thread until lsof ends: never call
// it on the main thread.
namespace platform::Lsof {

// Long enough for a busy machine with many processes; a run that takes longer is abandoned.
inline constexpr std::chrono::milliseconds kDefaultTimeout{20'000};

// The lsof on PATH, else /usr/sbin/lsof; empty when there is neither.
QString executable();

// Runs lsof with `arguments` under LC_ALL=C.UTF-8 (so that file names come out as UTF-8 instead of
// escaped) and answers its standard output, whatever its exit status. Standard error is discarded
// (a pipe nobody reads would stall lsof once full); standard input is empty. Killed when it runs
// past `timeout`. Throws LsofError.
QByteArray run(const QStringList& arguments, std::chrono::milliseconds timeout = kDefaultTimeout);

}  // namespace platform::Lsof
