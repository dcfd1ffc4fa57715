#include "Platform/Updater/UpdateFeed.h"

#include "Platform/Updater/VersionNumber.h"

#include <QXmlStreamReader>

#include <vector>

namespace platform {

namespace {

QUrl webLink(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"https" || scheme == u"http") && !url.host().isEmpty() ? url : QUrl();
}

QString versionAttribute(const QXmlStreamAttributes& attributes) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == u"version" && !attribute.namespaceUri().isEmpty()) return attribute.value().toString();
    }
    return {};
}

// Reads one <item> whose start element the reader stands on; leaves it on the matching end.
UpdateFeedItem readItem(QXmlStreamReader& xml) {
    UpdateFeedItem item;
    QUrl enclosure;
    QString enclosureVersion;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"version") {
            item.version = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (name == u"title" && xml.namespaceUri().isEmpty()) {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (name == u"link" && xml.namespaceUri().isEmpty()) {
            item.link = webLink(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (name == u"enclosure") {
            enclosure = webLink(xml.attributes().value(QStringLiteral("url")).toString());
            enclosureVersion = versionAttribute(xml.attributes()).trimmed();
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (item.version.isEmpty()) item.version = enclosureVersion;
    if (item.link.isEmpty()) item.link = enclosure;
    return item;
}

[[noreturn]] void throwNotXML(const QXmlStreamReader& xml) {
    QString what = xml.errorString();
    if (what.endsWith(u'.')) what.chop(1);
    throw UpdateFeedError(QStringLiteral("The update feed is not valid XML (%1, line %2).")
                              .arg(what)
                              .arg(xml.lineNumber())
                              .toStdString());
}

}  // namespace

UpdateFeedItem newestRelease(const QByteArray& rss) {
    if (rss.trimmed().isEmpty()) throw UpdateFeedError("The update feed is empty.");
    QXmlStreamReader xml(rss);
    if (!xml.readNextStartElement() || xml.name() != u"rss") {
        if (xml.hasError()) throwNotXML(xml);
        throw UpdateFeedError("The update feed is not an RSS feed.");
    }
    std::vector<UpdateFeedItem> releases;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"channel") {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != u"item") {
                xml.skipCurrentElement();
                continue;
            }
            UpdateFeedItem item = readItem(xml);
            if (!item.version.isEmpty()) releases.push_back(std::move(item));
        }
    }
    // Reading on to the end catches a feed cut off after its last item.
    while (!xml.atEnd()) xml.readNext();
    if (xml.hasError()) throwNotXML(xml);
    if (releases.empty()) throw UpdateFeedError("The update feed lists no version.");
    const UpdateFeedItem* newest = &releases.front();
    for (const UpdateFeedItem& release : releases) {
        if (compareVersions(release.version, newest->version) == std::strong_ordering::greater) newest = &release;
    }
    return *newest;
}

}  // namespace platform
