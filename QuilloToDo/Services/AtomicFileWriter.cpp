#include "QuilloToDo/Services/AtomicFileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace quillo {

bool writeFileAtomically(const QString& path, const QByteArray& data, const std::function<void()>& beforeReplace) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    if (beforeReplace) {
        file.flush();
        beforeReplace();
    }
    return file.commit();
}

}  // namespace quillo
