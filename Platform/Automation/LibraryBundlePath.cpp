#include "Platform/Automation/LibraryBundlePath.h"

namespace platform::LibraryBundlePath {

QString withoutTrailingSlashes(const QString& path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == u'/') --end;
    return path.left(end);
}

QString lastComponent(const QString& path) {
    const QString trimmed = withoutTrailingSlashes(path);
    if (trimmed == u"/") return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

QString extension(const QString& path) {
    const QString component = lastComponent(path);
    const qsizetype dot = component.lastIndexOf(u'.');
    return dot > 0 ? component.mid(dot + 1) : QString();
}

QString name(const QString& path) {
    const QString component = lastComponent(path);
    const qsizetype dot = component.lastIndexOf(u'.');
    return dot > 0 ? component.left(dot) : component;
}

bool isBundle(const QString& path) { return extension(path) == QLatin1String(kBundleExtension); }

std::optional<QString> enclosingBundle(const QString& path) {
    QString current = withoutTrailingSlashes(path);
    while (!isBundle(current)) {
        const qsizetype slash = current.lastIndexOf(u'/');
        if (slash < 0 || current == u"/") return std::nullopt;
        current = slash == 0 ? QStringLiteral("/") : current.left(slash);
    }
    return current;
}

}  // namespace platform::LibraryBundlePath
