#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"

#include "Platform/QtBridge/QtText.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Services/FeedbackPayload.h"
#include "QuilloToDo/Services/FeedbackService.h"
#include "testing/ScriptedHttpServer.h"
#include "testing/TemporaryDirectory.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace quillo {
namespace {

class FeedbackSheetTest : public ::testing::Test {
protected:
    FeedbackSheetTest() {
        // A build with a feedback address, unless a test says otherwise.
        qputenv("QUILLOTODO_FEEDBACK_URL", "https://feedback.invalid");
        window.setProperty(FeedbackSheet::kMainWindowProperty, true);
        window.resize(320, 200);
        window.show();
    }
    ~FeedbackSheetTest() override { qunsetenv("QUILLOTODO_FEEDBACK_URL"); }

    FeedbackSheet& present(const QString& herkunft) {
        auto* sheet = new FeedbackSheet(sources, herkunft, &window);
        sheet->open();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
        return *sheet;
    }
    static QPushButton* button(QWidget& sheet, const QString& text) {
        for (QPushButton* b : sheet.findChildren<QPushButton*>()) {
            if (b->text() == text) return b;
        }
        return nullptr;
    }
    static bool shows(QWidget& sheet, const QString& text) {
        for (QLabel* label : sheet.findChildren<QLabel*>()) {
            if (label->text() == text && label->isVisibleTo(&sheet)) return true;
        }
        return false;
    }

    quillo::testing::TemporaryDirectory directory;
    QSettings defaults{platform::toQString(directory.path() / "QuilloToDo.conf"), QSettings::IniFormat};
    LibraryController libraries{defaults};
    IndexController index;
    TodoIPCServer ipcServer{nullptr, TodoIPCServer::Announcement::none};
    PostlabLibraryLocator locator;
    FeedbackSources sources{&libraries, &index, &ipcServer, &locator};
    QWidget window;
};

TEST_F(FeedbackSheetTest, BlankFeedbackCannotBeSentAndTextIsSentUntrimmed) {
    FeedbackSheet& sheet = present(QString());
    QPushButton* send = button(sheet, "Send Feedback");
    ASSERT_NE(send, nullptr);
    EXPECT_FALSE(send->isEnabled());
    auto* text = sheet.findChild<QPlainTextEdit*>();
    text->setPlainText("  \n\t \n");
    EXPECT_FALSE(send->isEnabled());
    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_FALSE(sheet.isSending());

    text->setPlainText("\n  The export button hides under the panel.  \n");
    EXPECT_TRUE(send->isEnabled());
    auto* reply = sheet.findChild<QLineEdit*>();
    reply->setText("   ");
    FeedbackPayload payload = sheet.payload("diagnostics");
    EXPECT_EQ(payload.text, "\n  The export button hides under the panel.  \n");
    EXPECT_EQ(payload.submitterEmail, std::nullopt);
    EXPECT_EQ(payload.appModule, "QuilloToDo");
    EXPECT_EQ(payload.diagnose, "diagnostics");
    reply->setText("  editor@example.org \n");
    EXPECT_EQ(sheet.payload({}).submitterEmail, "editor@example.org");

    QTRY_VERIFY_WITH_TIMEOUT(!sheet.payload({}).userName.isEmpty(), 10'000);  // the login name, once shown
    EXPECT_FALSE(shows(sheet, "Area"));
    QTest::keyClick(&sheet, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!sheet.isVisible(), 10'000);
}

TEST_F(FeedbackSheetTest, OpenedFromSettingsItNamesTheArea) {
    FeedbackSheet& sheet = present("Settings");
    EXPECT_EQ(sheet.appModule(), "QuilloToDo – Settings");
    EXPECT_TRUE(shows(sheet, "Area"));
    EXPECT_TRUE(shows(sheet, "Settings"));
    QTRY_VERIFY_WITH_TIMEOUT(shows(sheet, FeedbackService::osVersion()), 10'000);
    EXPECT_TRUE(shows(sheet, FeedbackService::appVersion()));
    EXPECT_TRUE(shows(sheet, "Linux"));
    sheet.close();
}

TEST_F(FeedbackSheetTest, TheScreenshotIsTakenWhenSwitchedOnAndDroppedWhenSwitchedOff) {
    FeedbackSheet& sheet = present(QString());
    auto* toggle = sheet.findChild<QCheckBox*>();
    ASSERT_EQ(toggle->text(), "Include current screenshot");
    toggle->setChecked(true);
    EXPECT_TRUE(shows(sheet, "Capturing screenshot …"));
    EXPECT_EQ(sheet.payload({}).screenshotPNG, std::nullopt);  // not captured yet: sent without
    QTRY_VERIFY_WITH_TIMEOUT(sheet.screenshotData().has_value(), 10'000);
    const QImage picture = QImage::fromData(*sheet.screenshotData(), "PNG");
    EXPECT_EQ(picture.size(), window.size() * window.devicePixelRatio());  // the main window, not the sheet
    EXPECT_EQ(sheet.payload({}).screenshotPNG, sheet.screenshotData());
    EXPECT_TRUE(shows(sheet, "Size: " + FeedbackSheet::formatBytes(sheet.screenshotData()->size())));
    EXPECT_FALSE(shows(sheet, "Capturing screenshot …"));

    toggle->setChecked(false);
    EXPECT_FALSE(sheet.screenshotData().has_value());
    EXPECT_EQ(sheet.payload({}).screenshotPNG, std::nullopt);
    sheet.close();
}

TEST_F(FeedbackSheetTest, ABuildWithoutAFeedbackAddressSaysSoAndQueuesNothing) {
    qunsetenv("QUILLOTODO_FEEDBACK_URL");
    if (!FeedbackService::configuredBaseURL().isEmpty()) GTEST_SKIP() << "built with a feedback address";
    qputenv("XDG_DATA_HOME", QFile::encodeName(platform::toQString(directory.path() / "data")));
    FeedbackSheet& sheet = present(QString());
    EXPECT_TRUE(shows(sheet, "This build has no feedback address: feedback cannot be sent from it."));
    EXPECT_EQ(sheet.statusOK(), false);
    sheet.findChild<QPlainTextEdit*>()->setPlainText("The list flickers.");
    EXPECT_FALSE(button(sheet, "Send Feedback")->isEnabled());
    QTest::keyClick(&sheet, Qt::Key_Return);
    sheet.senden();
    EXPECT_FALSE(sheet.isSending());
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(std::filesystem::exists(directory.path() / "data"));
    sheet.close();
    qunsetenv("XDG_DATA_HOME");
}

TEST(FeedbackSheetBytes, KilobytesBelowOneMegabyteThenMegabytesWithOneDecimal) {
    EXPECT_EQ(FeedbackSheet::formatBytes(1'500), "1 KB");
    EXPECT_EQ(FeedbackSheet::formatBytes(1'048'575), "1024 KB");
    EXPECT_EQ(FeedbackSheet::formatBytes(1'048'576), "1.0 MB");
    EXPECT_EQ(FeedbackSheet::formatBytes(0), "0 KB");
}

// The one test that uses the process's feedback service: it is made on first use, from the
// environment set here.
TEST_F(FeedbackSheetTest, SendingQueuesTheFeedbackWithTheScreenshotAndClosesTheSheet) {
    quillo::testing::ScriptedHttpServer server;
    server.script({});
    qputenv("QUILLOTODO_FEEDBACK_URL", server.baseURL().toUtf8());
    qputenv("XDG_DATA_HOME", QFile::encodeName(platform::toQString(directory.path() / "data")));

    FeedbackSheet& sheet = present(QString());
    sheet.findChild<QPlainTextEdit*>()->setPlainText(" The list flickers. ");
    sheet.findChild<QLineEdit*>()->setText(" editor@example.org ");
    sheet.findChild<QCheckBox*>()->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(sheet.screenshotData().has_value(), 10'000);

    const QByteArray png = *sheet.screenshotData();
    QPointer<FeedbackSheet> open = &sheet;
    button(sheet, "Send Feedback")->click();
    EXPECT_TRUE(sheet.isSending());
    EXPECT_EQ(button(sheet, "Sending …")->isEnabled(), false);
    EXPECT_TRUE(button(sheet, "Cancel")->isEnabled());
    EXPECT_TRUE(
        shows(sheet, "Thanks! Your feedback is saved and will be sent (even if the network is flaky right now)."));
    EXPECT_EQ(sheet.statusOK(), true);
    QTRY_VERIFY_WITH_TIMEOUT(open.isNull(), 10'000);  // closed, and gone with its state

    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, 20'000);
    const auto& request = server.requests().front();
    EXPECT_EQ(request.path, "/api/collections/feedback/records");
    EXPECT_TRUE(request.headers.value("content-type").startsWith("multipart/form-data; boundary="));
    EXPECT_TRUE(request.body.contains("name=\"text\"\r\n\r\n The list flickers. \r\n"));
    EXPECT_TRUE(request.body.contains("name=\"submitter_email\"\r\n\r\neditor@example.org\r\n"));
    EXPECT_TRUE(request.body.contains("name=\"app_module\"\r\n\r\nQuilloToDo\r\n"));
    EXPECT_TRUE(request.body.contains("=== QuilloToDo Diagnostics ==="));
    EXPECT_TRUE(request.body.contains("filename=\"feedback.png\"\r\nContent-Type: image/png\r\n\r\n" + png + "\r\n"));
    qunsetenv("QUILLOTODO_FEEDBACK_URL");
    qunsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace quillo
