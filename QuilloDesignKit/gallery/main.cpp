// quillo-design-gallery: every component of the design kit in every state, on three pages.
//   quillo-design-gallery                  shows the pages as windows
//   quillo-design-gallery --screenshots D  renders each page to D/<page>.png and exits
#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/gallery/GalleryPages.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const qsizetype flag = arguments.indexOf(QStringLiteral("--screenshots"));
    if (flag >= 0 && flag + 1 >= arguments.size()) {
        std::fprintf(stderr, "usage: quillo-design-gallery [--screenshots DIRECTORY]\n");
        return 2;
    }

    // Screenshots show end states: nothing caught halfway through a fade.
    if (flag >= 0) quillo::QuilloAnimation::setEnabled(false);

    std::vector<quillo::gallery::Page> pages = quillo::gallery::pages();
    std::vector<std::unique_ptr<QWidget>> owned;
    for (auto& page : pages) {
        owned.emplace_back(page.widget);
        page.widget->show();
    }
    if (flag < 0) return QApplication::exec();

    const QDir directory(arguments.at(flag + 1));
    if (!QDir().mkpath(directory.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(directory.path()));
        return 1;
    }
    int status = 0;
    // Layouts settle and pages that show hovered states react to being on screen first.
    QTimer::singleShot(300, [&] {
        for (const auto& page : pages) {
            const QString path = directory.filePath(page.name + QStringLiteral(".png"));
            if (!page.widget->grab().save(path)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                status = 1;
            } else {
                std::printf("%s\n", qPrintable(path));
            }
        }
        QApplication::exit(status);
    });
    return QApplication::exec();
}
