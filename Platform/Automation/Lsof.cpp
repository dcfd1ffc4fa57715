#include "Platform/Automation/Lsof.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <limits>

namespace platform::Lsof {

QString executable() {
    QString found = QStandardPaths::findExecutable(QStringLiteral("lsof"));
    if (found.isEmpty() && QFileInfo(QStringLiteral("/usr/sbin/lsof")).isExecutable()) {
        found = QStringLiteral("/usr/sbin/lsof");
    }
    return found;
}

QByteArray run(const QStringList& arguments, std::chrono::milliseconds timeout) {
    const QString program = executable();
    if (program.isEmpty()) throw LsofError(LsofError::Kind::notFound, "lsof was not found");

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted()) throw LsofError(LsofError::Kind::notStarted, "lsof could not be started");

    const auto limit = std::min<std::chrono::milliseconds::rep>(timeout.count(), std::numeric_limits<int>::max());
    // Reads standard output as it comes, so a long listing never fills the pipe.
    if (!process.waitForFinished(static_cast<int>(limit))) {
        process.kill();
        process.waitForFinished(-1);
        throw LsofError(LsofError::Kind::timedOut, "lsof did not finish in time");
    }
    return process.readAllStandardOutput();
}

}  // namespace platform::Lsof
