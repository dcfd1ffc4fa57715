// quillo-design-gallery: every component of the design kit in every state, on three pages.
//   quillo-design-gallery                  shows the pages as windows
//   quillo-design-gallery --screenshots D  renders each page to D/<page>.png and exits
#include "QuilloDesignKit/gallery/GalleryPages.h"
#include "testing/ScreenshotRun.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    quillo::ScreenshotRun shots(QApplication::arguments());
    if (const auto failure = shots.failure("quillo-design-gallery [--screenshots DIRECTORY]")) return *failure;

    std::vector<quillo::gallery::Page> pages = quillo::gallery::pages();
    std::vector<std::unique_ptr<QWidget>> owned;
    for (auto& page : pages) {
        owned.emplace_back(page.widget);
        page.widget->show();
    }
    if (!shots.wanted()) return QApplication::exec();
    for (const auto& page : pages) shots.shoot(*page.widget, page.name);
    return shots.status();
}
