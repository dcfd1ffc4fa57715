#include "QuilloToDo/Services/FeedbackError.h"
#include "QuilloToDo/Services/FeedbackRequest.h"
#include "QuilloToDo/Services/FeedbackService.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"

#include "Platform/QtBridge/QtText.h"
#include "testing/ScriptedHttpServer.h"
#include "testing/TemporaryDirectory.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <mutex>

namespace quillo {
namespace {

using testing::ScriptedHttpServer;

FeedbackPayload payload() {
    FeedbackPayload p;
    p.text = "The list / \"jumps\" – sometimes";
    p.userName = "ed";
    p.appVersion = "0.1.0 (7)";
    p.osVersion = "Linux 6.1.0";
    p.appModule = "QuilloToDo – Settings";
    p.diagnose = "=== QuilloToDo Diagnostics ===\nLibraries: 0";
    return p;
}

// Pauses asked for by the queue's thread, taken instantly and recorded.
struct Pauses {
    std::mutex mutex;
    std::vector<double> seconds;

    PersistentRetryQueue::Sleeper sleeper() {
        return [this](double pause, std::function<void()> wake) {
            {
                std::lock_guard lock(mutex);
                seconds.push_back(pause);
            }
            wake();
        };
    }
    std::vector<double> taken() {
        std::lock_guard lock(mutex);
        return seconds;
    }
};

class FeedbackServiceTest : public ::testing::Test {
protected:
    FeedbackService::Configuration configuration(const QString& baseURL) {
        FeedbackService::Configuration c;
        c.storePath = storePath();
        c.baseURL = baseURL;
        c.sleep = pauses.sleeper();
        return c;
    }
    QString storePath() const { return platform::toQString(directory.path() / "QuilloToDo" / "feedback_queue.json"); }
    QByteArray stored() const {
        QFile file(storePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool waitForRequests(ScriptedHttpServer& server, qsizetype count) {
        return QTest::qWaitFor([&] { return server.requests().size() >= count; }, 60000);
    }
    bool waitUntilStoredEmpty() {
        return QTest::qWaitFor([&] { return stored() == "[]"; }, 60000);
    }

    testing::TemporaryDirectory directory;
    Pauses pauses;
};

TEST_F(FeedbackServiceTest, WithoutScreenshotTheFeedbackIsPostedAsJSONAndLeavesTheQueue) {
    ScriptedHttpServer server;
    FeedbackService service(configuration(server.baseURL()));
    auto p = payload();
    p.submitterEmail = "";
    service.send(p);
    ASSERT_TRUE(waitForRequests(server, 1));
    const auto& request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/api/collections/feedback/records");
    EXPECT_EQ(request.headers.value("content-type"), "application/json");
    EXPECT_EQ(request.body.toStdString(),
              "{\"text\":\"The list / \\\"jumps\\\" – sometimes\",\"user_name\":\"ed\",\"app_version\":\"0.1.0 (7)\","
              "\"os_version\":\"Linux 6.1.0\",\"app_module\":\"QuilloToDo – Settings\","
              "\"diagnose\":\"=== QuilloToDo Diagnostics ===\\nLibraries: 0\"}");
    EXPECT_TRUE(waitUntilStoredEmpty());
    EXPECT_TRUE(pauses.taken().empty());
}

TEST_F(FeedbackServiceTest, WithScreenshotTheFeedbackIsMultipartByteForByte) {
    ScriptedHttpServer server;
    FeedbackService service(configuration(server.baseURL()));
    auto p = payload();
    p.submitterEmail = "ed@example.org";
    p.screenshotPNG = QByteArray("\x89PNG\r\n\x1a\n\0\xff--", 12);
    service.send(p);
    p.submitterEmail.reset();
    p.screenshotPNG = QByteArray();
    service.send(p);
    ASSERT_TRUE(waitForRequests(server, 2));

    const QByteArray contentType = server.requests()[0].headers.value("content-type");
    const auto match =
        QRegularExpression("^multipart/form-data; boundary=(----QTFeedback-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12})$")
            .match(QString::fromUtf8(contentType));
    ASSERT_TRUE(match.hasMatch()) << contentType.toStdString();
    const QByteArray b = match.captured(1).toUtf8();
    const QByteArray field = "Content-Disposition: form-data; name=";
    const QByteArray expected =
        "--" + b + "\r\n" + field + "\"text\"\r\n\r\n" + p.text.toUtf8() + "\r\n" + "--" + b + "\r\n" + field +
        "\"user_name\"\r\n\r\ned\r\n" + "--" + b + "\r\n" + field + "\"app_version\"\r\n\r\n0.1.0 (7)\r\n" + "--" + b +
        "\r\n" + field + "\"os_version\"\r\n\r\nLinux 6.1.0\r\n" + "--" + b + "\r\n" + field +
        "\"app_module\"\r\n\r\n" + p.appModule.toUtf8() + "\r\n" + "--" + b + "\r\n" + field + "\"diagnose\"\r\n\r\n" +
        p.diagnose.toUtf8() + "\r\n" + "--" + b + "\r\n" + field + "\"submitter_email\"\r\n\r\ned@example.org\r\n" +
        "--" + b + "\r\n" + field + "\"screenshot\"; filename=\"feedback.png\"\r\nContent-Type: image/png\r\n\r\n" +
        QByteArray("\x89PNG\r\n\x1a\n\0\xff--", 12) + "\r\n--" + b + "--\r\n";
    EXPECT_EQ(server.requests()[0].body, expected);

    // An empty screenshot is still a screenshot part.
    const QByteArray second = server.requests()[1].body;
    EXPECT_TRUE(second.contains("Content-Type: image/png\r\n\r\n\r\n--")) << second.toStdString();
    EXPECT_FALSE(second.contains("submitter_email"));
}

TEST_F(FeedbackServiceTest, TooManyRequestsAndServerErrorsAreRetriedAndNotFoundIsGivenUp) {
    ScriptedHttpServer server;
    server.script({.status = 429, .body = "slow down"});
    server.script({.status = 503, .body = "maintenance"});
    server.script({.status = 201, .body = "{}"});
    server.script({.status = 404, .body = "no such collection"});
    FeedbackService service(configuration(server.baseURL()));
    service.send(payload());
    ASSERT_TRUE(waitForRequests(server, 3));
    ASSERT_TRUE(waitUntilStoredEmpty());
    EXPECT_EQ(pauses.taken(), (std::vector<double>{1, 5}));

    service.send(payload());
    ASSERT_TRUE(waitForRequests(server, 4));
    EXPECT_TRUE(waitUntilStoredEmpty());
    QTest::qWait(200);
    EXPECT_EQ(server.requests().size(), 4) << "a 404 was retried";
    EXPECT_EQ(pauses.taken(), (std::vector<double>{1, 5}));
}

TEST_F(FeedbackServiceTest, AClosedPortAndASilentServerAreRetried) {
    QTcpServer reserved;
    ASSERT_TRUE(reserved.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = reserved.serverPort();
    reserved.close();
    auto closed = configuration(QStringLiteral("http://127.0.0.1:%1").arg(closedPort));
    closed.maxAttempts = 3;
    {
        FeedbackService service(std::move(closed));
        service.send(payload());
        ASSERT_TRUE(QTest::qWaitFor([&] { return pauses.taken().size() == 2; }, 60000));
        ASSERT_TRUE(waitUntilStoredEmpty()) << "the third failure gives the feedback up";
    }
    EXPECT_EQ(pauses.taken(), (std::vector<double>{1, 5}));

    ScriptedHttpServer server;
    server.script({.status = 201, .body = {}, .answer = false});
    auto silent = configuration(server.baseURL());
    silent.transferTimeout = std::chrono::milliseconds(300);
    FeedbackService service(std::move(silent));
    service.send(payload());
    ASSERT_TRUE(waitForRequests(server, 2));
    EXPECT_TRUE(waitUntilStoredEmpty());
    EXPECT_EQ(pauses.taken(), (std::vector<double>{1, 5, 1}));
}

TEST_F(FeedbackServiceTest, FeedbackSentWithoutAServerWaitsInTheFileForTheNextStart) {
    {
        FeedbackService unconfigured(configuration(QString()));
        unconfigured.send(payload());
        ASSERT_TRUE(QTest::qWaitFor([&] { return stored().contains("userName"); }, 60000));
    }
    ASSERT_TRUE(stored().contains("userName"));
    ScriptedHttpServer server;
    FeedbackService service(configuration(server.baseURL()));
    ASSERT_TRUE(waitForRequests(server, 1));
    EXPECT_TRUE(waitUntilStoredEmpty());
}

TEST(FeedbackRequest, OnlyHttpsOrLoopbackHttpEndpoints) {
    EXPECT_EQ(FeedbackRequest::endpoint("https://feedback.example.org/base/")->toString(),
              "https://feedback.example.org/base/api/collections/feedback/records");
    EXPECT_TRUE(FeedbackRequest::endpoint("http://[::1]:8080"));
    EXPECT_TRUE(FeedbackRequest::endpoint("http://localhost:1"));
    EXPECT_FALSE(FeedbackRequest::endpoint("http://feedback.example.org"));
    EXPECT_FALSE(FeedbackRequest::endpoint("ftp://127.0.0.1"));
    EXPECT_FALSE(FeedbackRequest::endpoint(""));
}

TEST(FeedbackError, TheBodyIsCutAfter200CharactersNeverInsideOne) {
    QString body;
    for (int i = 0; i < 150; ++i) body += QString::fromUtf8("e\xCC\x81");         // e + combining acute
    for (int i = 0; i < 100; ++i) body += QString::fromUtf8("\xF0\x9F\x91\x8D");  // a surrogate pair in UTF-16
    const std::string description = FeedbackError::httpError(500, body).what();
    std::string expected = "HTTP 500: ";
    for (int i = 0; i < 150; ++i) expected += "e\xCC\x81";
    for (int i = 0; i < 50; ++i) expected += "\xF0\x9F\x91\x8D";
    EXPECT_EQ(description, expected);

    const auto notText = FeedbackRequest::outcome(502, QByteArray("\xff\xfe"));
    try {
        std::rethrow_exception(notText);
    } catch (const FeedbackError& error) {
        EXPECT_STREQ(error.what(), "HTTP 502: ");
    }
    EXPECT_EQ(FeedbackRequest::outcome(204, {}), nullptr);
}

TEST(FeedbackService, VersionTexts) {
    EXPECT_EQ(FeedbackService::formatAppVersion(QString("1.2"), std::nullopt), "1.2 (0)");
    EXPECT_EQ(FeedbackService::formatAppVersion(std::nullopt, QString("")), "0 (0)");
    EXPECT_EQ(FeedbackService::formatOSVersion("6.1.0-18-amd64"), "Linux 6.1.0");
    EXPECT_EQ(FeedbackService::formatOSVersion("5.15"), "Linux 5.15.0");
    EXPECT_TRUE(QRegularExpression("^Linux \\d+\\.\\d+\\.\\d+$").match(FeedbackService::osVersion()).hasMatch());
    EXPECT_TRUE(FeedbackService::appVersion().endsWith(")"));
}

TEST(FeedbackDiagnostics, TheTextFollowsTheControllersState) {
    FeedbackDiagnostics d;
    d.libraries = {{"Feature", true, std::nullopt}, {"Trailer", false, std::nullopt}, {"Old", false, "gone"}};
    d.markersIndexed = 12;
    d.eventCount = 3;
    d.timelineCount = 5;
    d.isRefreshing = true;
    d.lastRefreshError = "disk";
    d.connectedExtensionCount = 2;
    d.isPostlabPolling = true;
    d.postlabWatchedNameCount = 4;
    const QStringList lines = diagnosticsText(d, QDateTime::currentDateTime(), "1 (2)", "Linux 6.1.0").split('\n');
    EXPECT_EQ(lines.mid(2),
              (QStringList{"App version: 1 (2)", "System: Linux 6.1.0", "", "Libraries: 3", "  - Feature: loaded",
                           "  - Trailer: pending", "  - Old: gone", "Markers indexed: 12", "Events/Timelines: 3 / 5",
                           "Scan running: yes", "Last scan error: disk", "FCP extension connected: 2",
                           "PostLab watch: active (4 names)"}));
    EXPECT_EQ(lines[0], "=== QuilloToDo Diagnostics ===");
    EXPECT_TRUE(lines[1].startsWith("Date: "));

    testing::TemporaryDirectory directory;
    QSettings settings(platform::toQString(directory.path() / "defaults.conf"), QSettings::IniFormat);
    LibraryController libraries(settings);
    IndexController index;
    PostlabLibraryLocator locator;
    TodoIPCServer ipcServer(nullptr, TodoIPCServer::Announcement::none);
    const QStringList fresh = FeedbackService(FeedbackService::Configuration{})
                                  .sammeleDiagnose(libraries, index, ipcServer, locator)
                                  .split('\n');
    EXPECT_EQ(fresh.mid(5), (QStringList{"Libraries: 0", "Markers indexed: 0", "Events/Timelines: 0 / 0",
                                         "Scan running: no", "FCP extension connected: 0", "PostLab watch: off"}));
}

}  // namespace
}  // namespace quillo
