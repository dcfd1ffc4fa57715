#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace quillo {

// The run of a developer tool that renders windows for people to look at (scripts/screenshots):
// "--screenshots DIR" asks for PNGs in DIR instead of windows on screen.
class ScreenshotRun {
public:
    // Reads "--screenshots DIR" from `arguments`. A run that asks for screenshots turns animations
    // off (a picture shows end states) and creates DIR.
    explicit ScreenshotRun(const QStringList& arguments);

    // The exit status for main() when the run cannot go on: 2 after printing `usage` when the flag
    // has no folder, or is absent while `required`; 1 when the folder cannot be created.
    std::optional<int> failure(const char* usage, bool required = false) const;
    // Prints `usage` and gives the exit status of a command line that cannot be used.
    static int usageError(const char* usage);
    bool wanted() const { return folder_.has_value(); }

    // Processes events until `done` holds (at most 30 s), then a little longer so that layouts,
    // repaints and hover effects catch up. False when `done` never held.
    static bool settle(const std::function<bool()>& done = {});
    // Settles until `ready` holds, then writes `widget` to DIR/NAME.png and prints the path. A
    // picture not written, or `ready` never holding, is printed and makes status() 1.
    bool shoot(QWidget& widget, const QString& name, const std::function<bool()>& ready = {});
    // 0 while every picture was written as it should be.
    int status() const { return status_; }

private:
    bool flagWithoutFolder_ = false;
    bool folderMade_ = false;
    std::optional<QDir> folder_;
    int status_ = 0;
};

}  // namespace quillo
