#include "Platform/QtBridge/QtText.h"

#include <QFile>

namespace platform {

QString toQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::optional<QString> toQString(const std::optional<std::string>& utf8) {
    if (!utf8) {
        return std::nullopt;
    }
    return toQString(std::string_view(*utf8));
}

std::string toStdString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString toQString(const std::filesystem::path& path) {
    const std::string& native = path.native();
    return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

std::filesystem::path toPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace platform
