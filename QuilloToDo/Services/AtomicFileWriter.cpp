#include "QuilloToDo/Services/AtomicFileWriter.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/QtBridge/QtText.h"

#include <filesystem>
#include <string_view>

namespace quillo {

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& data,
                                           const std::function<void()>& beforeReplace) {
    const std::filesystem::path target = platform::toPath(path);
    std::error_code error;
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
    if (error) {
        return QStringLiteral("Could not create the folder %1: %2")
            .arg(platform::toQString(target.parent_path()), QString::fromStdString(error.message()));
    }
    const auto failure = platform::replaceFileAtomically(
        target, std::string_view(data.constData(), static_cast<std::size_t>(data.size())), beforeReplace);
    if (failure) return QString::fromStdString(*failure);
    return std::nullopt;
}

}  // namespace quillo
