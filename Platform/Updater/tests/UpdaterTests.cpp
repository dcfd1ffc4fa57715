#include "Platform/Updater/Updater.h"

#include "testing/ScriptedHttpServer.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace platform {
namespace {

const QByteArray kFeedOffering020 = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:up="http://example.org/xml-namespaces/updates"><channel>
  <item><title>QuilloToDo 0.2.0</title><up:version>0.2.0</up:version>
        <link>https://example.org/quillotodo/0.2.0</link></item>
  <item><title>QuilloToDo 0.1.0</title><up:version>0.1.0</up:version></item>
</channel></rss>)";

// Runs one check against `feed` and returns what it found; the dialog is left open for inspection.
UpdateCheckResult check(Updater& updater) {
    QSignalSpy finished(&updater, &Updater::checkFinished);
    updater.checkForUpdates();
    EXPECT_TRUE(updater.isChecking());
    EXPECT_TRUE(finished.wait(20'000));
    EXPECT_FALSE(updater.isChecking());
    return finished.isEmpty() ? UpdateCheckResult{} : finished.takeFirst().at(0).value<UpdateCheckResult>();
}

using quillo::testing::ScriptedHttpServer;

class UpdaterTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (updater.resultDialog()) updater.resultDialog()->close();
    }
    ScriptedHttpServer server;
    Updater updater{QUrl(server.baseURL() + "/appcast.xml"), QStringLiteral("0.1.0")};
};

TEST_F(UpdaterTest, ANewerVersionIsOfferedWithItsLink) {
    server.script({.status = 200, .body = kFeedOffering020});
    const UpdateCheckResult result = check(updater);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::newerVersion);
    EXPECT_EQ(result.offeredVersion, "0.2.0");
    EXPECT_EQ(result.link, QUrl("https://example.org/quillotodo/0.2.0"));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().front().method, "GET");
    EXPECT_EQ(server.requests().front().path, "/appcast.xml");

    UpdateDialog* dialog = updater.resultDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->headline(), "A new version of QuilloToDo is available!");
    EXPECT_EQ(dialog->message(),
              "QuilloToDo 0.2.0 is now available — you have 0.1.0.\n\nhttps://example.org/quillotodo/0.2.0");
    ASSERT_NE(dialog->defaultButton(), nullptr);
    EXPECT_EQ(dialog->defaultButton()->text(), "Open Download Page");
}

TEST_F(UpdaterTest, TheSameVersionIsUpToDate) {
    server.script({.status = 200, .body = QByteArray(kFeedOffering020).replace("0.2.0", "0.1.0")});
    const UpdateCheckResult result = check(updater);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::upToDate);
    ASSERT_NE(updater.resultDialog(), nullptr);
    EXPECT_EQ(updater.resultDialog()->headline(), "You’re up to date!");
    EXPECT_EQ(updater.resultDialog()->message(), "QuilloToDo 0.1.0 is currently the newest version available.");
}

TEST_F(UpdaterTest, FailuresAreReportedWithTheirReason) {
    server.script({.status = 200, .body = "\x01\x02 this is not a feed"});
    UpdateCheckResult result = check(updater);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::failed);
    EXPECT_TRUE(result.reason.startsWith("The update feed is not valid XML (")) << result.reason.toStdString();
    ASSERT_NE(updater.resultDialog(), nullptr);
    EXPECT_EQ(updater.resultDialog()->headline(), "Update Error!");
    EXPECT_EQ(updater.resultDialog()->message(), "Checking for updates failed: " + result.reason);

    server.script({.status = 404, .body = "<rss/>"});
    result = check(updater);
    EXPECT_EQ(result.reason, "The update server answered HTTP 404 Scripted.");  // with the server's own phrase

    server.script({.status = 200, .body = QByteArray(Updater::kMaximumFeedBytes + 1, ' ')});
    result = check(updater);
    EXPECT_EQ(result.reason, "The update feed is larger than 4 MB.");
}

// The feed's version and the server's reason phrase are the network's words: shown as they are, never
// as markup or links.
TEST_F(UpdaterTest, MarkupFromTheFeedOrTheServerIsShownAsPlainText) {
    const auto expectPlainText = [](const UpdateDialog* dialog) {
        ASSERT_NE(dialog, nullptr);
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->text().isEmpty()) continue;  // the icon
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
            EXPECT_FALSE(label->openExternalLinks()) << label->text().toStdString();
        }
        // The markup stands in the shown text as typed: nothing of it became formatting or a link.
        const QTextDocument* shown = dialog->messageView()->document();
        for (QTextBlock block = shown->begin(); block.isValid(); block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                EXPECT_FALSE(fragment.fragment().charFormat().isAnchor()) << fragment.fragment().text().toStdString();
            }
        }
    };
    const QByteArray markup = R"(<a href="file:///etc/passwd">here</a>)";
    server.script({.status = 200,
                   .body = QByteArray(kFeedOffering020)
                               .replace("<up:version>0.2.0",
                                        "<up:version>0.2.0" + QString::fromUtf8(markup).toHtmlEscaped().toUtf8())});
    UpdateCheckResult result = check(updater);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::newerVersion);
    EXPECT_EQ(result.offeredVersion, "0.2.0" + markup);
    expectPlainText(updater.resultDialog());
    EXPECT_TRUE(updater.resultDialog()->message().contains(markup));

    server.script({.status = 503, .body = "", .reason = "<b>Down</b> " + markup});
    result = check(updater);
    EXPECT_EQ(result.reason, "The update server answered HTTP 503 <b>Down</b> " + markup + ".");
    expectPlainText(updater.resultDialog());
}

// A version or a reason with no space in it to break at still shows whole, broken where its lines
// end, selectable; one taller than the dialog allows scrolls.
TEST_F(UpdaterTest, ALongVersionOrReasonIsShownWhole) {
    const auto expectShownWhole = [](UpdateDialog* dialog, const QString& text) {
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_TRUE(dialog->message().contains(text));
        const QTextEdit* view = dialog->messageView();
        EXPECT_TRUE(view->isVisible());
        EXPECT_LE(view->document()->idealWidth(), view->viewport()->width()) << "a line runs out of sight";
        EXPECT_LE(view->geometry().right(), dialog->rect().right());
        EXPECT_TRUE(view->document()->size().height() <= view->viewport()->height() ||
                    view->verticalScrollBar()->isVisible());
        EXPECT_TRUE(view->textInteractionFlags() & Qt::TextSelectableByMouse);
    };
    const QString version = "0.2.0-" + QString(294, u'x');
    server.script(
        {.status = 200, .body = QByteArray(kFeedOffering020).replace(">0.2.0<", ">" + version.toUtf8() + "<")});
    UpdateCheckResult result = check(updater);
    ASSERT_EQ(result.outcome, UpdateCheckResult::Outcome::newerVersion);
    EXPECT_EQ(result.offeredVersion, version);
    expectShownWhole(updater.resultDialog(), version);
    EXPECT_FALSE(updater.resultDialog()->messageView()->verticalScrollBar()->isVisible());

    const QByteArray phrase(300, 'R');
    server.script({.status = 503, .body = "", .reason = phrase});
    result = check(updater);
    expectShownWhole(updater.resultDialog(), QString::fromLatin1(phrase));

    const QString taller = "0.2.0-" + QString(20'000, u'y');
    server.script(
        {.status = 200, .body = QByteArray(kFeedOffering020).replace(">0.2.0<", ">" + taller.toUtf8() + "<")});
    result = check(updater);
    expectShownWhole(updater.resultDialog(), taller);
    EXPECT_EQ(updater.resultDialog()->messageView()->height(), UpdateDialog::kMaximumMessageHeight);
    EXPECT_TRUE(updater.resultDialog()->messageView()->verticalScrollBar()->isVisible());
}

// A server that sends a byte now and then never lets the transfer go idle: the check's own deadline
// ends it. Asking again meanwhile says that a check runs.
TEST(Updater, ATricklingServerEndsTheCheckAtItsDeadline) {
    ScriptedHttpServer server;
    Updater updater(QUrl(server.baseURL() + "/appcast.xml"), "0.1.0", nullptr, std::chrono::milliseconds(500));
    server.script({.status = 200, .body = kFeedOffering020, .trickle = std::chrono::milliseconds(20)});
    QSignalSpy finished(&updater, &Updater::checkFinished);
    updater.checkForUpdates();
    updater.checkForUpdates();
    ASSERT_NE(updater.resultDialog(), nullptr);
    EXPECT_EQ(updater.resultDialog()->headline(), "Checking for Updates …");

    ASSERT_TRUE(finished.wait(20'000));
    const auto result = finished.takeFirst().at(0).value<UpdateCheckResult>();
    EXPECT_EQ(result.reason, "The update server did not send the feed within 0.5 seconds.");
    ASSERT_NE(updater.resultDialog(), nullptr);
    EXPECT_EQ(updater.resultDialog()->headline(), "Update Error!");
    EXPECT_EQ(server.requests().size(), 1);  // the second request started nothing
    updater.resultDialog()->close();
}

TEST(Updater, AClosedPortFailsTheCheckInsteadOfHanging) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    Updater updater(QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(port)), "0.1.0");
    const UpdateCheckResult result = check(updater);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::failed);
    EXPECT_FALSE(result.reason.isEmpty());
    if (updater.resultDialog()) updater.resultDialog()->close();
}

TEST(Updater, StartingChecksNothingAndHappensOnce) {
    ScriptedHttpServer server;
    Updater updater(QUrl(server.baseURL() + "/appcast.xml"), "0.1.0");
    QSignalSpy started(&updater, &Updater::startedChanged);
    EXPECT_FALSE(updater.isStarted());
    updater.startUpdater();
    updater.startUpdater();
    EXPECT_TRUE(updater.isStarted());
    EXPECT_EQ(started.count(), 1);
    EXPECT_FALSE(updater.isChecking());
    QCoreApplication::processEvents();
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(Updater, TheEnvironmentOverridesTheBuiltInFeed) {
    qunsetenv("QUILLOTODO_UPDATE_FEED_URL");
    const QUrl builtIn = Updater::configuredFeedURL();
    EXPECT_EQ(builtIn.scheme(), "https");
    qputenv("QUILLOTODO_UPDATE_FEED_URL", "http://127.0.0.1:9/feed.xml");
    EXPECT_EQ(Updater::configuredFeedURL(), QUrl("http://127.0.0.1:9/feed.xml"));
    qputenv("QUILLOTODO_UPDATE_FEED_URL", "  ");
    EXPECT_EQ(Updater::configuredFeedURL(), builtIn);
    qunsetenv("QUILLOTODO_UPDATE_FEED_URL");
}

}  // namespace
}  // namespace platform
