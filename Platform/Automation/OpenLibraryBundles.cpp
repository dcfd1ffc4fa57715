#include "Platform/Automation/OpenLibraryBundles.h"

#include "Platform/Automation/LibraryBundlePath.h"
#include "Platform/Automation/Lsof.h"

#include <QFileInfo>
#include <QSet>
#include <QStringConverter>

namespace platform::OpenLibraryBundles {

QByteArray listOpenFiles(const QString& processName, std::chrono::milliseconds timeout) {
    return Lsof::run({QStringLiteral("-c"), processName}, timeout);
}

std::optional<QStringList> inLsofOutput(const QByteArray& output) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(output);
    if (decoder.hasError()) return std::nullopt;

    QStringList bundles;
    QSet<QString> seen;
    for (const auto line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.contains(u"CurrentVersion.fcpevent") && !line.contains(u"CurrentVersion.flexolibrary")) continue;
        const qsizetype slash = line.indexOf(u'/');
        if (slash < 0) continue;
        const auto bundle = LibraryBundlePath::enclosingBundle(line.mid(slash).toString());
        if (!bundle || seen.contains(*bundle)) continue;
        const QFileInfo info(*bundle);
        if (!info.isDir()) continue;
        seen.insert(*bundle);
        bundles.append(*bundle);
    }
    return bundles;
}

}  // namespace platform::OpenLibraryBundles
