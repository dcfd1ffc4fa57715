#include "testing/ScreenshotRun.h"

#include "QuilloDesignKit/QuilloAnimation.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QWidget>

#include <cstdio>

namespace quillo {

ScreenshotRun::ScreenshotRun(const QStringList& arguments) {
    const qsizetype flag = arguments.indexOf(QStringLiteral("--screenshots"));
    if (flag < 0) return;
    if (flag + 1 >= arguments.size()) {
        flagWithoutFolder_ = true;
        return;
    }
    folder_.emplace(arguments.at(flag + 1));
    folderMade_ = QDir().mkpath(folder_->path());
    QuilloAnimation::setEnabled(false);
}

int ScreenshotRun::usageError(const char* usage) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return 2;
}

std::optional<int> ScreenshotRun::failure(const char* usage, bool required) const {
    if (flagWithoutFolder_ || (required && !folder_)) return usageError(usage);
    if (folder_ && !folderMade_) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder_->path()));
        return 1;
    }
    return std::nullopt;
}

bool ScreenshotRun::settle(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(30'000);
    while (done && !done() && !deadline.hasExpired()) QTest::qWait(20);
    QTest::qWait(300);
    return !done || done();
}

bool ScreenshotRun::shoot(QWidget& widget, const QString& name, const std::function<bool()>& ready) {
    const QString path = folder_->filePath(name + QStringLiteral(".png"));
    if (!settle(ready)) {
        std::fprintf(stderr, "%s: the window never reached the state to show\n", qPrintable(path));
        status_ = 1;
        return false;
    }
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        status_ = 1;
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace quillo
