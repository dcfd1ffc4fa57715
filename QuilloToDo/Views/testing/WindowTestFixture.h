#pragma once

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Sidebar/AddLibraryPanel.h"
#include "testing/LibraryBuilder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFuture>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

namespace quillo::test {

inline QString qPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}
inline QUrl urlOf(const std::filesystem::path& path) { return QUrl::fromLocalFile(qPath(path)); }

// Runs the event loop until `done` holds; fails the test after a generous limit instead of hanging.
template <class Condition>
bool waitUntil(Condition done, int limitMs = 60'000) {
    const QDeadlineTimer deadline(limitMs);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(done()) << "not reached within " << limitMs << " ms";
    return done();
}

inline bool awaitFuture(const QFuture<void>& future) {
    return waitUntil([&] { return future.isFinished(); });
}

// An open panel the test answers: the URL it holds, or a cancel when it holds none.
class AnsweringPanel : public AddLibraryPanel {
public:
    std::optional<QUrl> answer;
    int shown = 0;
    QString startFolder;

    void choose(QWidget*, const QString& folder, std::function<void(const QUrl&)> chosen) override {
        ++shown;
        startFolder = folder;
        if (answer) chosen(*answer);
    }
};

// The window's controllers over a settings file of their own, and library bundles written by the
// fixture builder. `automationName` names the stand-in process that counts as Final Cut Pro, so that
// tests running side by side never see each other's.
class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(const QString& automationName = QStringLiteral("Final Cut Pro"))
        : settings_(qPath(dir_.path() / "QuilloToDo.conf"), QSettings::IniFormat),
          windowSettings_(settings_),
          libraries_(settings_, platform::FinalCutProAutomation(automationName)),
          filter_(settings_) {}

    // A bundle dir/<folder>/<name>.fcpbundle with one event of one timeline carrying `markers` to-dos.
    std::filesystem::path bundle(const std::string& folder, const std::string& name, int markers = 1,
                                 const std::string& event = "Day 1", const std::string& timeline = "Main Cut") {
        std::filesystem::create_directories(dir_.path() / folder);
        testing::LibraryBuilder library(dir_.path() / folder, name);
        auto sequence = library.event(event).sequence(timeline);
        auto clip = sequence.clip("Shot", 0.0, 60.0);
        for (int marker = 0; marker < markers; ++marker) {
            clip.marker("Fix " + std::to_string(marker), testing::MarkerType::todo, 1.0 + marker, {.completed = false});
        }
        return library.finish();
    }

    void refreshIndex() { ASSERT_TRUE(awaitFuture(index_.refresh(libraries_.librarySources()))); }

    testing::TemporaryDirectory dir_;
    QSettings settings_;
    WindowSettings windowSettings_;
    LibraryController libraries_;
    IndexController index_;
    MarkerFilterController filter_;
    AnsweringPanel panel_;
};

}  // namespace quillo::test
