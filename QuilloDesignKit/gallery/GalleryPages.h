#pragma once

#include <QString>
#include <QWidget>

#include <vector>

// The pages of the design gallery, a developer tool that shows every component of the kit in
// every state. Each page is a window of its own, named for its screenshot file.
namespace quillo::gallery {

struct Page {
    QString name;  // file name without extension
    QWidget* widget;
};

QWidget* tokensPage();
QWidget* componentsPage();
QWidget* windowPage();

// All pages, in reading order; the caller owns the widgets.
std::vector<Page> pages();

}  // namespace quillo::gallery
