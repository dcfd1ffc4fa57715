#include "QuilloDesignKit/QuilloSymbol.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace quillo {
namespace {

// Every system symbol the windows name: the toolbar, sidebar, list rows, panels, sheets, filter
// chips, the empty state and the kit's own buttons.
const QStringList kSymbolsOfTheViews = {
    "arrow.clockwise",
    "arrow.up.left.and.arrow.down.right",
    "bookmark.fill",
    "checklist",
    "checklist.checked",
    "checklist.unchecked",
    "checkmark.circle",
    "checkmark.circle.fill",
    "checkmark.square.fill",
    "chevron.right",
    "circle",
    "doc.text.magnifyingglass",
    "envelope.badge",
    "exclamationmark.circle.fill",
    "exclamationmark.triangle.fill",
    "folder.fill",
    "magnifyingglass",
    "mappin.circle.fill",
    "minus",
    "minus.square.fill",
    "person.fill",
    "plus",
    "questionmark.circle",
    "sidebar.leading",
    "square",
    "wand.and.stars",
    "waveform.path.ecg",
    "xmark",
    "xmark.circle.fill",
};

// Dotted lower-case literals ("checkmark.circle.fill") in the window sources, which only symbol
// names look like; reverse-DNS identifiers, service types and file names are not symbols.
QSet<QString> dottedLiteralsInViewSources() {
    QSet<QString> found;
    const QRegularExpression literal(QStringLiteral(R"re("([a-z]+(?:\.[a-z]+)+)")re"));
    for (const char* folder : {"/QuilloToDo/Views", "/QuilloDesignKit"}) {
        QDirIterator files(QStringLiteral(QUILLO_SOURCE_DIR) + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            if (path.contains(QLatin1String("/tests/"))) continue;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (auto match = literal.globalMatch(text); match.hasNext();) {
                const QString name = match.next().captured(1);
                static const QStringList fileExtensions = {"png", "json", "txt", "ics", "conf", "plist", "html", "log"};
                const bool fileName = fileExtensions.contains(name.section(u'.', -1));
                if (!fileName && !name.startsWith(QLatin1String("com.")) && !name.startsWith(QLatin1String("local.")))
                    found.insert(name);
            }
        }
    }
    return found;
}

int inkedPixels(const QString& name, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QuilloSymbol::paint(painter, QRectF(0, 0, side, side), name, Qt::white);
    painter.end();
    int inked = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) inked += qAlpha(image.pixel(x, y)) > 0;
    return inked;
}

TEST(Symbols, EverySymbolOfTheViewsHasADrawing) {
    for (const QString& name : kSymbolsOfTheViews) {
        EXPECT_TRUE(QuilloSymbol::hasDrawing(name)) << name.toStdString();
        // Drawn inside its box, neither empty nor a filled square.
        const int inked = inkedPixels(name, 24);
        EXPECT_GT(inked, 20) << name.toStdString();
        EXPECT_LT(inked, 24 * 24 * 9 / 10) << name.toStdString();
        const QRectF bounds = QuilloSymbol::shape(name).boundingRect();
        EXPECT_TRUE(QRectF(-0.02, -0.02, 1.04, 1.04).contains(bounds)) << name.toStdString();
    }
}

TEST(Symbols, EveryDottedNameInTheWindowSourcesHasADrawing) {
    for (const QString& name : dottedLiteralsInViewSources())
        EXPECT_TRUE(QuilloSymbol::hasDrawing(name)) << name.toStdString() << " is named but not drawn";
}

TEST(Symbols, KnockoutsLeaveTheirGlyphClear) {
    // The centre of a filled circle's checkmark is cut out; the ring alone leaves the centre empty.
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QuilloSymbol::paint(painter, QRectF(0, 0, 40, 40), u"checkmark.circle.fill", Qt::white);
    painter.end();
    EXPECT_EQ(qAlpha(image.pixel(int(0.44 * 40), int(0.68 * 40))), 0);  // on the checkmark
    EXPECT_EQ(qAlpha(image.pixel(int(0.5 * 40), int(0.2 * 40))), 255);  // on the disc
}

TEST(Symbols, IconsDrawSharplyAtTwiceThePixelRatio) {
    const QIcon icon = QuilloSymbol::icon("xmark", Qt::white);
    const QPixmap doubled = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(doubled.size(), QSize(32, 32));
    EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
    EXPECT_FALSE(QuilloSymbol::hasDrawing(u"no.such.symbol"));
    EXPECT_TRUE(QuilloSymbol::shape(u"no.such.symbol").isEmpty());
}

}  // namespace
}  // namespace quillo
