#include "Platform/Automation/FinalCutProAutomation.h"
#include "Platform/Automation/Lsof.h"

#include "testing/FinalCutProProcess.h"
#include "testing/LibraryBuilder.h"
#include "testing/PathPrefix.h"
#include "testing/Thrown.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using platform::FinalCutProAutomation;
using platform::FinalCutProAutomationError;
using quillo::testing::FinalCutProProcess;
using quillo::testing::LibraryBuilder;
using quillo::testing::PathPrefix;
using quillo::testing::TemporaryDirectory;
using quillo::testing::thrownBy;
using quillo::testing::writeShellScript;

namespace {

QString qPath(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

// A library bundle with one event; answers the event database.
fs::path eventDatabase(const fs::path& directory, const std::string& name) {
    LibraryBuilder library(directory, name);
    const fs::path database = library.event("Day 1").databasePath();
    library.finish();
    return database;
}

// Only the bundles under `directory`: a stand-in of a parallel test may hold others open.
QStringList under(const fs::path& directory, const QStringList& bundles) {
    QStringList mine;
    for (const auto& bundle : bundles) {
        if (bundle.startsWith(qPath(directory) + u'/')) mine.append(bundle);
    }
    return mine;
}

}  // namespace

TEST(OpenLibraryBundles, TakesTheBundlesOfDatabaseLinesOnceInOutputOrder) {
    TemporaryDirectory dir;
    const fs::path spot = dir.path() / "Spot Ü.fcpbundle";
    const fs::path other = dir.path() / "Other.fcpbundle";
    fs::create_directories(spot / "Day 1");
    fs::create_directories(other);
    const std::string lines =
        "COMMAND   PID USER   FD   TYPE DEVICE SIZE/OFF    NODE NAME\n"
        "Final\\x20C 1 me  4r   REG  8,1    4096 1 " +
        (other / "CurrentVersion.flexolibrary").string() +
        "\n"
        "Final\\x20C 1 me  5r   REG  8,1    4096 2 " +
        (spot / "Day 1/CurrentVersion.fcpevent").string() +
        "\n"
        "Final\\x20C 1 me  6r   REG  8,1    4096 3 " +
        (spot / "CurrentVersion.flexolibrary").string() +
        "\n"
        "Final\\x20C 1 me  7r   REG  8,1    4096 4 " +
        (dir.path() / "Gone.fcpbundle/E/CurrentVersion.fcpevent").string() +
        " (deleted)\n"
        "Final\\x20C 1 me  8r   REG  8,1    4096 5 " +
        (spot / "Day 1/Render Files/clip.mov").string() +
        "\n"
        "Final\\x20C 1 me  9r   REG  8,1    4096 6 CurrentVersion.fcpevent without a path\n"
        "Final\\x20C 1 me 10r   REG  8,1    4096 7 /Volumes/Plain/Day 1/CurrentVersion.fcpevent\n";
    const auto bundles = platform::OpenLibraryBundles::inLsofOutput(QByteArray::fromStdString(lines));
    ASSERT_TRUE(bundles);
    EXPECT_EQ(*bundles, (QStringList{qPath(other), qPath(spot)}));

    EXPECT_EQ(platform::OpenLibraryBundles::inLsofOutput("\xff " + QByteArray::fromStdString(lines)), std::nullopt);
    EXPECT_EQ(platform::OpenLibraryBundles::inLsofOutput(""), QStringList{});
}

TEST(FinalCutProAutomation, ScriptFailureTexts) {
    EXPECT_EQ(platform::scriptFailureText(-1743, "Not authorized."),
              "No permission to see the files Final Cut Pro has open. Please run QuilloToDo as the user who runs "
              "Final Cut Pro.");
    EXPECT_EQ(platform::scriptFailureText(-1728, "Can't get library 1."),
              "Could not list the open libraries (error -1728): Can't get library 1.");
    EXPECT_EQ(platform::scriptFailureText(std::nullopt, std::nullopt), "Could not list the open libraries: unknown");
    EXPECT_EQ(FinalCutProAutomationError::scriptFailed(-1743, std::nullopt).kind(),
              FinalCutProAutomationError::Kind::noPermission);
}

TEST(FinalCutProAutomation, ListsTheBundlesTheRunningApplicationHoldsOpen) {
    TemporaryDirectory dir;
    const fs::path first = eventDatabase(dir.path(), "Zweiter Schnitt ✂");
    const fs::path second = eventDatabase(dir.path(), "Main Edit");
    const fs::path deleted = eventDatabase(dir.path(), "Deleted");
    FinalCutProProcess application(dir.path(), {qPath(first), qPath(second), qPath(deleted)});
    ASSERT_TRUE(application.isReady());
    fs::remove_all(dir.path() / "Deleted.fcpbundle");  // lsof now lists it as "(deleted)"

    const FinalCutProAutomation automation;
    EXPECT_TRUE(automation.isRunning());
    EXPECT_EQ(
        under(dir.path(), automation.openLibraries()),
        (QStringList{qPath(dir.path() / "Zweiter Schnitt ✂.fcpbundle"), qPath(dir.path() / "Main Edit.fcpbundle")}));
}

TEST(FinalCutProAutomation, FailuresCarryTheirTexts) {
    const FinalCutProAutomation absent(QStringLiteral("Quillo Absent"));
    EXPECT_FALSE(absent.isRunning());
    EXPECT_STREQ(thrownBy<FinalCutProAutomationError>([&] { absent.openLibraries(); }).what(),
                 "Final Cut Pro is not running.");

    TemporaryDirectory dir;
    const QString name = QStringLiteral("Quillo Hanging");
    FinalCutProProcess application(dir.path(), {}, name);
    ASSERT_TRUE(application.isReady());
    fs::create_directory(dir.path() / "bin");
    writeShellScript(dir.path() / "bin/lsof", "exec sleep 600\n");
    const PathPrefix path(dir.path() / "bin");
    const FinalCutProAutomation hanging(name, std::chrono::milliseconds(500));
    const auto timedOut = thrownBy<FinalCutProAutomationError>([&] { hanging.openLibraries(); });
    EXPECT_EQ(timedOut.kind(), FinalCutProAutomationError::Kind::scriptFailed);
    EXPECT_STREQ(timedOut.what(), "Could not list the open libraries: lsof did not finish in time");
}

TEST(Lsof, RunsTheOneOnPathAndAbandonsItAfterTheTimeLimit) {
    TemporaryDirectory dir;
    writeShellScript(dir.path() / "lsof",
                     "if [ \"$1\" = hang ]; then exec sleep 600; fi\n"
                     // A stderr far beyond a pipe's buffer, then the answer.
                     "head -c 4000000 /dev/zero >&2\n"
                     "echo \"$LC_ALL $*\"\n");
    const PathPrefix path(dir.path());
    EXPECT_EQ(platform::Lsof::executable(), qPath(dir.path() / "lsof"));
    EXPECT_EQ(platform::Lsof::run({"-c", "Final Cut Pro"}, std::chrono::seconds(60)), "C.UTF-8 -c Final Cut Pro\n");

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(
        thrownBy<platform::LsofError>([] { platform::Lsof::run({"hang"}, std::chrono::milliseconds(300)); }).kind(),
        platform::LsofError::Kind::timedOut);
    EXPECT_LT(clock.elapsed(), 30'000);
}

TEST(FinalCutProAutomation, NoLsofToAskIsNoScriptObject) {
    if (QFile::exists("/usr/sbin/lsof")) GTEST_SKIP() << "/usr/sbin/lsof is always found";
    TemporaryDirectory dir;
    const QString name = QStringLiteral("Quillo No Lsof");
    FinalCutProProcess application(dir.path(), {}, name);
    ASSERT_TRUE(application.isReady());
    const QByteArray saved = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(dir.path().native()));
    const auto error = thrownBy<FinalCutProAutomationError>([&] { FinalCutProAutomation(name).openLibraries(); });
    qputenv("PATH", saved);
    EXPECT_STREQ(error.what(), "Internal error: could not find lsof.");
}
