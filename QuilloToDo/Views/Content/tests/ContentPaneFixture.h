#pragma once

#include "QuilloToDo/Views/Content/ContentPane.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Settings/WindowSettings.h"

#include "Platform/QtBridge/QtText.h"
#include "testing/LibraryBuilder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace quillo::test {

// A content pane over real controllers, a settings file of its own and a fixture library:
//   Feature / Day 1 / Main Edit:  "Act One" chapter 0 s, "@Alice trim the pause" to-do done 1 s,
//     "@bob fix the colour" to-do open 2 s, "Great laugh" standard 3 s, and on a connected clip of
//     role Anna-1 (under Anna) "Check the grade" to-do done 5 s;
//   Feature / Day 2 / Teaser:  "@Zoe make a square version" to-do open 1 s on a clip of role Jonas.
class ContentPaneFixture : public ::testing::Test {
protected:
    ContentPaneFixture()
        : settingsFile_(platform::toQString(dir_.path() / "QuilloToDo.conf"), QSettings::IniFormat),
          windowSettings_(settingsFile_),
          filter_(settingsFile_) {}

    void SetUp() override {
        pane_ = std::make_unique<ContentPane>(index_, filter_, windowSettings_, ipcServer_, locator_);
        pane_->resize(1100, 800);
    }

    void loadLibrary() {
        {
            testing::LibraryBuilder library(dir_.path(), "Feature");
            testing::EventBuilder& day1 = library.event("Day 1");
            day1.roles().addStandardRoles();
            day1.roles().role("anna", "Anna").subRole("anna.anna-1", "Anna-1");
            testing::TimelineBuilder edit = day1.sequence("Main Edit");
            edit.clip("Interview", 0.0, 10.0)
                .marker("Act One", testing::MarkerType::chapter, 0.0, {.chapterNote = "Opening"})
                .marker("@Alice trim the pause", testing::MarkerType::todo, 1.0, {.completed = true})
                .marker("@bob fix the colour", testing::MarkerType::todo, 2.0, {.completed = false})
                .marker("Great laugh", testing::MarkerType::standard, 3.0)
                .connected("B-roll", 4.0, 12.0, 3.0)
                .role("anna.anna-1")
                .marker("Check the grade", testing::MarkerType::todo, 1.0, {.completed = true});
            testing::EventBuilder& day2 = library.event("Day 2");
            day2.roles().addStandardRoles();
            day2.roles().role("jonas", "Jonas");
            testing::TimelineBuilder teaser = day2.sequence("Teaser");
            teaser.clip("Drone", 0.0, 10.0)
                .role("jonas")
                .marker("@Zoe make a square version", testing::MarkerType::todo, 1.0, {.completed = false});
            library.finish();
        }
        refresh({{dir_.path() / "Feature.fcpbundle", "Feature", "feature"}});
    }

    void refresh(std::vector<ScannedLibrarySource> sources) {
        const QFuture<void> done = index_.refresh(std::move(sources));
        const QDeadlineTimer deadline(60'000);
        while (!done.isFinished() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(done.isFinished());
    }

    const TodoItem& itemWithText(const std::string& text) const {
        for (const TodoItem& item : index_.items()) {
            if (item.text == text) return item;
        }
        throw std::runtime_error("no item " + text);
    }

    testing::TemporaryDirectory dir_;
    QSettings settingsFile_;
    WindowSettings windowSettings_;
    MarkerFilterController filter_;
    IndexController index_;
    TodoIPCServer ipcServer_{nullptr, TodoIPCServer::Announcement::none};
    PostlabLibraryLocator locator_;
    std::unique_ptr<ContentPane> pane_;
};

}  // namespace quillo::test
