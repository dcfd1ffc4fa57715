#include "testing/FinalCutProProcess.h"

#include <QFile>

namespace quillo::testing {

FinalCutProProcess::FinalCutProProcess(const std::filesystem::path& directory, const QStringList& openFiles,
                                       const QString& commandName) {
    const QString program = QFile::decodeName(QByteArray::fromStdString(directory.native())) + u'/' + commandName;
    QFile::remove(program);
    if (!QFile::copy(QString::fromUtf8(QUILLO_FINAL_CUT_PRO_STAND_IN), program)) return;
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, openFiles);
    ready_ = process_.waitForReadyRead(30'000) && process_.readAll().startsWith("ready");
}

FinalCutProProcess::~FinalCutProProcess() {
    process_.closeWriteChannel();  // the stand-in ends when its input closes
    if (!process_.waitForFinished(10'000)) {
        process_.kill();
        process_.waitForFinished(-1);
    }
}

}  // namespace quillo::testing
