#include "QuilloToDo/IPC/TodoIPCServer.h"

#include "QuilloToDo/IPC/LoopbackListener.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoModel/tests/ModelTestSupport.h"

#include "Platform/SystemLog/SystemLog.h"

#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillo {
namespace {

using namespace std::chrono_literals;

constexpr int kTimeoutMs = 20'000;

std::string line(const TodoIPCMessage& message) { return encodeMessage(message); }

std::vector<TodoItem> twoItems() {
    TodoItem second = test::bareChapter();
    second.id = *platform::UUID::parse("0D5F4D2B-8F8B-4C55-9E0B-1B2C3D4E5F60");
    return {test::plausibleItem(), second};
}

// A plain socket connected to the server, for peers that must not read (or must not make a descriptor
// while connecting): `fd` made beforehand, or a new one.
// A socket whose receive buffer is small: what a peer does not read soon fills it.
int socketThatTakesLittle() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_GE(fd, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    return fd;
}

int connectRaw(quint16 port, int fd = ::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return fd;
}

// The next line on a plain socket, read without blocking the event loop the server runs on.
std::string readLine(int fd) {
    std::string text;
    const bool arrived = QTest::qWaitFor(
        [&] {
            char c = 0;
            while (::recv(fd, &c, 1, MSG_DONTWAIT) == 1) {
                if (c == '\n') return true;
                text += c;
            }
            return false;
        },
        kTimeoutMs);
    EXPECT_TRUE(arrived) << "no line arrived";
    return text;
}

// One extension's side of a connection: a real socket that collects whole lines.
class Client {
public:
    explicit Client(quint16 port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket_.waitForConnected(kTimeoutMs));
    }

    void write(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.flush();
    }

    // The next line, without its line feed; fails the test after the timeout.
    std::string nextLine() {
        const bool arrived = QTest::qWaitFor([&] { return socket_.canReadLine(); }, kTimeoutMs);
        EXPECT_TRUE(arrived) << "no line arrived";
        if (!arrived) return {};
        QByteArray text = socket_.readLine();
        text.chop(1);
        return text.toStdString();
    }

    bool waitForDisconnect() {
        return QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; }, kTimeoutMs);
    }

    QTcpSocket& socket() { return socket_; }

private:
    QTcpSocket socket_;
};

class TodoIPCServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.start();
        ASSERT_NE(server_.port(), 0);
    }

    std::unique_ptr<Client> connectClient() {
        const int before = server_.connectedExtensionCount();
        auto client = std::make_unique<Client>(server_.port());
        EXPECT_TRUE(QTest::qWaitFor([&] { return server_.connectedExtensionCount() == before + 1; }, kTimeoutMs));
        return client;
    }

    void publish(std::vector<TodoItem> items) {
        server_.publish(std::make_shared<const std::vector<TodoItem>>(std::move(items)));
    }
    // Publishes and waits until the list is stored and sent.
    bool publishAndWait(std::vector<TodoItem> items) {
        QSignalSpy published(&server_, &TodoIPCServer::listPublished);
        publish(std::move(items));
        return QTest::qWaitFor([&] { return published.count() == 1; }, kTimeoutMs);
    }

    bool waitForCount(int count) {
        return QTest::qWaitFor([&] { return server_.connectedExtensionCount() == count; }, kTimeoutMs);
    }

    std::vector<std::string> logged_;
    platform::systemlog::Capture capture_{[this](std::string_view text) { logged_.emplace_back(text); }};
    // How long a connection has been silent is read from this clock, which only the test moves.
    std::chrono::steady_clock::time_point now_ = std::chrono::steady_clock::now();
    TodoIPCServer server_{nullptr, TodoIPCServer::Announcement::none, [this] { return now_; }};
};

const std::string kHello = R"({"hello":{"appName":"QuilloToDo"}})";
const std::string kEmptyList = R"({"todoList":{"_0":[]}})";
const QByteArray kRefresh = R"({"requestRefresh":{}})"
                            "\n";

TEST_F(TodoIPCServerTest, GreetsWithHelloAloneWhileNothingIsPublishedAndWithTheLastListAfterwards) {
    auto early = connectClient();
    EXPECT_EQ(early->nextLine(), kHello);
    // The next line answers the refresh: no list came between.
    early->write(kRefresh);
    EXPECT_EQ(early->nextLine(), kEmptyList);

    publish(twoItems());
    EXPECT_EQ(early->nextLine(), line(TodoIPCMessage::todoList(twoItems())));

    auto late = connectClient();
    EXPECT_EQ(late->nextLine(), kHello);
    const TodoIPCMessage received = decodeMessage(late->nextLine());
    EXPECT_EQ(std::get<TodoIPCMessage::TodoList>(received.payload()).items, twoItems());
}

TEST_F(TodoIPCServerTest, SecondStartKeepsTheListener) {
    const quint16 port = server_.port();
    server_.start();
    EXPECT_EQ(server_.port(), port);
}

TEST_F(TodoIPCServerTest, EveryConnectionReceivesTheSameBytesOfEachPublishAndOfEachRefresh) {
    auto first = connectClient();
    auto second = connectClient();
    EXPECT_EQ(first->nextLine(), kHello);
    EXPECT_EQ(second->nextLine(), kHello);

    publish(twoItems());
    const std::string expected = line(TodoIPCMessage::todoList(twoItems()));
    EXPECT_EQ(first->nextLine(), expected);
    EXPECT_EQ(second->nextLine(), expected);

    // One asks; both receive.
    first->write(kRefresh);
    EXPECT_EQ(first->nextLine(), expected);
    EXPECT_EQ(second->nextLine(), expected);
}

TEST_F(TodoIPCServerTest, LinesAreSplitAcrossReadsMergedWithinOneAndEmptyOrInvalidOnesSkipped) {
    auto client = connectClient();
    EXPECT_EQ(client->nextLine(), kHello);

    client->write(R"({"requestRe)");
    QTest::qWait(50);  // a separate read on the server, whatever the timing: the result is the same
    client->write(
        "fresh\":{}}\n\nnot json\n"
        R"({"jumpTo":{"timelineID":"t","seconds":1}})"
        "\n"
        R"({"setCompleted":{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","completed":true}})"
        "\n" +
        kRefresh + R"({"requestRefresh":{}})");
    // Requests read at once get one answer.
    EXPECT_EQ(client->nextLine(), kEmptyList);
    // The tail waits for its line feed; the connection stayed open through the bad line.
    client->write("\n");
    EXPECT_EQ(client->nextLine(), kEmptyList);
    publish(twoItems());  // nothing else came before it
    EXPECT_EQ(client->nextLine(), line(TodoIPCMessage::todoList(twoItems())));
    EXPECT_EQ(server_.connectedExtensionCount(), 1);
    EXPECT_TRUE(logged_.empty());
}

// The list is encoded off the main thread. Meanwhile a connection is greeted and a refresh answered
// with the last list ready; a list still encoding when a newer one is published is never sent, and
// the server keeps nothing of the items it was given.
TEST_F(TodoIPCServerTest, ListsAreSentInTheOrderPublishedAndTheLastReadyOneMeanwhile) {
    auto early = connectClient();
    EXPECT_EQ(early->nextLine(), kHello);
    ASSERT_TRUE(publishAndWait(twoItems()));
    const std::string two = line(TodoIPCMessage::todoList(twoItems()));
    EXPECT_EQ(early->nextLine(), two);

    auto* encoder = server_.findChild<QThreadPool*>();
    ASSERT_NE(encoder, nullptr);
    QSemaphore held;
    const auto releaseAtEnd = qScopeGuard([&held] { held.release(); });  // the server waits for it when it goes
    encoder->start([&held] { held.acquire(); });
    QSignalSpy published(&server_, &TodoIPCServer::listPublished);
    publish({test::plausibleItem()});
    auto newest = std::make_shared<const std::vector<TodoItem>>(std::vector{test::bareChapter()});
    const std::weak_ptr<const std::vector<TodoItem>> given = newest;
    server_.publish(std::move(newest));

    auto late = connectClient();
    EXPECT_EQ(late->nextLine(), kHello);
    EXPECT_EQ(late->nextLine(), two);
    early->write(kRefresh);
    EXPECT_EQ(early->nextLine(), two);
    EXPECT_EQ(late->nextLine(), two);

    held.release();
    const std::string newestLine = line(TodoIPCMessage::todoList({test::bareChapter()}));
    EXPECT_EQ(early->nextLine(), newestLine);
    EXPECT_EQ(late->nextLine(), newestLine);
    EXPECT_EQ(published.count(), 1);
    EXPECT_TRUE(given.expired());
    // Nothing came after it: the next line answers this refresh.
    late->write(kRefresh);
    EXPECT_EQ(early->nextLine(), newestLine);
    EXPECT_EQ(late->nextLine(), newestLine);
}

// A server that goes while a list is encoded lets go of the list and sends nothing after it is gone.
TEST_F(TodoIPCServerTest, AServerGoesWhileItEncodesAList) {
    auto items = std::make_shared<std::vector<TodoItem>>(40, test::plausibleItem());
    for (TodoItem& item : *items) item.text = std::string(1024 * 1024, 'a');
    const std::weak_ptr<const std::vector<TodoItem>> given = items;
    auto going = std::make_unique<TodoIPCServer>(nullptr, TodoIPCServer::Announcement::none);
    going->publish(std::move(items));
    going.reset();
    QCoreApplication::processEvents();  // what it left behind, if anything
    EXPECT_TRUE(given.expired());
}

// The limit applies to everything held after a read, before lines are split off: a line and its line
// feed fit when together they are at most the limit.
TEST_F(TodoIPCServerTest, InputOfTheLimitIsReadAndOneByteMoreDropsTheConnection) {
    const QByteArray atLimit = QByteArray(TodoIPCServer::kReceiveLimit - kRefresh.size() - 1, 'x') + "\n" + kRefresh;
    ASSERT_EQ(atLimit.size(), TodoIPCServer::kReceiveLimit);

    auto patient = connectClient();
    EXPECT_EQ(patient->nextLine(), kHello);
    patient->write(atLimit);
    EXPECT_EQ(patient->nextLine(), kEmptyList);
    EXPECT_TRUE(logged_.empty());

    auto flooding = connectClient();
    EXPECT_EQ(flooding->nextLine(), kHello);
    flooding->write("x" + atLimit);
    EXPECT_TRUE(flooding->waitForDisconnect());
    EXPECT_TRUE(waitForCount(1));
    EXPECT_EQ(logged_, std::vector<std::string>{
                           "[TodoIPCServer] Dropping connection: unterminated message exceeds 1048576 bytes"});
}

TEST_F(TodoIPCServerTest, CountFollowsConnectionsOpenedClosedAndAborted) {
    QSignalSpy changes(&server_, &TodoIPCServer::connectedExtensionCountChanged);
    auto first = connectClient();
    auto second = connectClient();
    auto third = connectClient();
    EXPECT_EQ(server_.connectedExtensionCount(), 3);

    first->socket().abort();
    EXPECT_TRUE(waitForCount(2));
    second->socket().disconnectFromHost();
    EXPECT_TRUE(waitForCount(1));
    third.reset();
    EXPECT_TRUE(waitForCount(0));

    std::vector<int> reported;
    for (const auto& change : changes) reported.push_back(change.at(0).toInt());
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 3, 2, 1, 0}));
}

// An orderly end of the peer's stream is no failure state: the server must notice it itself.
TEST_F(TodoIPCServerTest, PeerThatEndsItsStreamIsClosedAndUncountedAtOnce) {
    auto client = connectClient();
    EXPECT_EQ(client->nextLine(), kHello);
    ASSERT_EQ(::shutdown(static_cast<int>(client->socket().socketDescriptor()), SHUT_WR), 0);
    EXPECT_TRUE(waitForCount(0));
    EXPECT_TRUE(client->waitForDisconnect());
    EXPECT_TRUE(logged_.empty());
}

// A peer that never reads while lists keep coming: its unsent output is capped.
TEST_F(TodoIPCServerTest, ConnectionThatStopsReadingIsDroppedOnceItsUnsentOutputExceedsTheCap) {
    TodoItem large = test::plausibleItem();
    large.text = std::string(16 * 1024 * 1024, 'a');

    const int fd = connectRaw(server_.port(), socketThatTakesLittle());
    ASSERT_TRUE(waitForCount(1));

    // Each one encoded and handed over before the next: 17 x 16 MiB > 256 MiB, and a few more for what
    // the kernel takes before the peer's buffer is full.
    for (int i = 0; i < 40 && server_.connectedExtensionCount() == 1; ++i) ASSERT_TRUE(publishAndWait({large}));
    EXPECT_TRUE(waitForCount(0));
    ::close(fd);
    ASSERT_EQ(logged_.size(), 1u);
    EXPECT_EQ(logged_[0],
              "[TodoIPCServer] Send error: the extension is not reading; unsent output exceeds "
              "268435456 bytes");
}

// The panel's end of a plain socket, read at the test's pace without blocking the server's event loop.
class SlowReader {
public:
    explicit SlowReader(int fd) : fd_(fd) {}

    // Reads until `done()`, splitting what arrives into lines; fails the test after the timeout.
    template <class Done>
    void readUntil(Done done) {
        std::vector<char> chunk(65'536);
        const bool arrived = QTest::qWaitFor(
            [&] {
                while (!done() && !ended_) {
                    const ssize_t got = ::recv(fd_, chunk.data(), chunk.size(), MSG_DONTWAIT);
                    if (got < 0) break;  // nothing more yet
                    ended_ = got == 0;
                    taken += static_cast<std::size_t>(got);
                    for (const char c : std::string_view(chunk.data(), static_cast<std::size_t>(got))) {
                        if (c != '\n') {
                            partial_ += c;
                        } else {
                            lines.push_back(std::exchange(partial_, {}));
                        }
                    }
                }
                return done() || ended_;
            },
            kTimeoutMs);
        EXPECT_TRUE(arrived && done()) << "read " << taken << " bytes, " << lines.size() << " lines"
                                       << (ended_ ? ", then the server closed the connection" : "");
    }

    std::vector<std::string> lines;
    std::size_t taken = 0;

private:
    int fd_;
    std::string partial_;
    bool ended_ = false;
};

// A panel that takes 1 MiB while each of ten lists of about 30 MiB is published: together more than
// the output cap. The list under way when the publishes begin finishes, then the newest follows; the
// ones between give way.
TEST_F(TodoIPCServerTest, APanelThatReadsSlowlyGetsTheListUnderWayThenTheNewestAndStaysConnected) {
    const auto list = [](int number) {
        std::vector<TodoItem> items(28 + number, test::plausibleItem());
        for (TodoItem& item : items) item.text = std::string(1024 * 1024, 'a');
        return items;
    };
    const int fd = connectRaw(server_.port(), socketThatTakesLittle());
    ASSERT_TRUE(waitForCount(1));

    SlowReader panel(fd);
    std::size_t firstSize = 0;
    for (int i = 0; i < 10; ++i) {
        const std::vector<TodoItem> items = list(i);
        if (i == 0) firstSize = line(TodoIPCMessage::todoList(items)).size();
        ASSERT_TRUE(publishAndWait(items));  // each one reaches the connection
        const std::size_t before = panel.taken;
        panel.readUntil([&] { return panel.taken >= before + 1024 * 1024; });
    }
    ASSERT_LT(panel.lines.size(), 2u) << "the first list was read before the publishes ended";
    panel.readUntil([&] { return panel.lines.size() >= 3; });
    ASSERT_EQ(panel.lines.size(), 3u);
    EXPECT_EQ(panel.lines[0], kHello);
    EXPECT_EQ(panel.lines[1].size(), firstSize);
    EXPECT_TRUE(panel.lines[2] == line(TodoIPCMessage::todoList(list(9))))
        << "another list came last, of " << panel.lines[2].size() << " bytes";
    EXPECT_EQ(server_.connectedExtensionCount(), 1);
    EXPECT_TRUE(logged_.empty());
    ::close(fd);
}

// Eight requests in one packet from a peer that reads nothing, beside a panel that reads everything:
// a list large enough that eight copies of it exceed the cap, as the 80,000-marker one does.
TEST_F(TodoIPCServerTest, ABurstOfRefreshRequestsIsAnsweredOnceAndEveryPanelStaysConnected) {
    std::vector<TodoItem> large(40, test::plausibleItem());
    for (TodoItem& item : large) item.text = std::string(1024 * 1024, 'a');
    const std::string expected = line(TodoIPCMessage::todoList(large));
    ASSERT_GT(8 * static_cast<qint64>(expected.size()), TodoIPCServer::kUnsentOutputLimit);
    publish(large);

    auto reader = connectClient();
    EXPECT_EQ(reader->nextLine(), kHello);
    EXPECT_EQ(reader->nextLine(), expected);

    const int burster = connectRaw(server_.port());
    ASSERT_TRUE(waitForCount(2));
    std::string burst;
    for (int i = 0; i < 8; ++i) burst += kRefresh.toStdString();
    ASSERT_EQ(::write(burster, burst.data(), burst.size()), static_cast<ssize_t>(burst.size()));

    // The reader had nothing queued: one answer. The burster still has its first list queued: none.
    EXPECT_EQ(reader->nextLine(), expected);
    publish(twoItems());
    EXPECT_EQ(reader->nextLine(), line(TodoIPCMessage::todoList(twoItems())));
    EXPECT_EQ(server_.connectedExtensionCount(), 2);
    EXPECT_TRUE(logged_.empty());
    ::close(burster);
}

// While the process has no file descriptor left, the listener cannot accept: it tries again and again,
// says so once, and accepts the waiting connection, and the ones after it, once descriptors are free.
TEST_F(TodoIPCServerTest, ListenerAcceptsAgainAfterRunningOutOfFileDescriptors) {
    auto earlier = connectClient();
    EXPECT_EQ(earlier->nextLine(), kHello);
    auto* listener = server_.findChild<LoopbackListener*>();
    ASSERT_NE(listener, nullptr);
    int failures = 0;  // no QSignalSpy: with no descriptor left, a sanitizer cannot check its calls
    QObject::connect(listener, &LoopbackListener::acceptFailed, [&failures] { ++failures; });
    const int waiting = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(waiting, 0);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::dup(waiting);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit exhausted = saved;
    exhausted.rlim_cur = static_cast<rlim_t>(lowestFree);  // no new descriptor from here on
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &exhausted), 0);
    connectRaw(server_.port(), waiting);
    const bool triedAgain = QTest::qWaitFor([&] { return failures >= 2; }, kTimeoutMs);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    ASSERT_TRUE(triedAgain);
    EXPECT_EQ(server_.connectedExtensionCount(), 1);

    EXPECT_TRUE(waitForCount(2));
    EXPECT_EQ(readLine(waiting), kHello);
    auto next = connectClient();
    auto last = connectClient();
    EXPECT_EQ(last->nextLine(), kHello);
    publish(twoItems());
    EXPECT_EQ(earlier->nextLine(), line(TodoIPCMessage::todoList(twoItems())));
    ASSERT_EQ(logged_.size(), 1u);
    EXPECT_TRUE(logged_[0].starts_with("[TodoIPCServer] Failed to accept a connection: ")) << logged_[0];
    ::close(waiting);
}

// While every place is taken, a new connection takes the place of the oldest one that has sent nothing
// for 5 s or more; one that has spoken keeps its place. With none silent that long the new one is
// refused, logged once until a connection is accepted again. Below the cap nobody is closed.
TEST_F(TodoIPCServerTest, AtTheCapANewConnectionTakesThePlaceOfTheOldestSilentOneOrIsRefused) {
    const auto start = now_;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < TodoIPCServer::kMaximumConnections; ++i) {
        clients.push_back(connectClient());
        now_ += 1ms;  // each accepted a little after the one before
    }
    // The oldest speaks; the answer shows the server has read it.
    EXPECT_EQ(clients[0]->nextLine(), kHello);
    clients[0]->write(kRefresh);
    EXPECT_EQ(clients[0]->nextLine(), kEmptyList);

    // The second oldest has been silent 1 ms short of the limit: three refusals, one line.
    now_ = start + 1ms + TodoIPCServer::kSilenceBeforeEviction - 1ms;
    for (int i = 0; i < 3; ++i) {
        Client refused(server_.port());
        EXPECT_TRUE(refused.waitForDisconnect());
    }
    EXPECT_EQ(server_.connectedExtensionCount(), 64);
    const std::string refusal = "[TodoIPCServer] Refusing connection: 64 connections are open already";
    EXPECT_EQ(logged_, std::vector<std::string>{refusal});

    now_ += 1ms;
    QSignalSpy changes(&server_, &TodoIPCServer::connectedExtensionCountChanged);
    Client newcomer(server_.port());
    EXPECT_EQ(newcomer.nextLine(), kHello);
    EXPECT_TRUE(clients[1]->waitForDisconnect());
    EXPECT_EQ(server_.connectedExtensionCount(), 64);
    EXPECT_EQ(changes.count(), 0);  // a place changed hands; the count did not change
    EXPECT_EQ(clients[0]->socket().state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(clients[2]->socket().state(), QAbstractSocket::ConnectedState);

    // The accept ended the burst: the next refusal is logged again.
    Client refusedAgain(server_.port());
    EXPECT_TRUE(refusedAgain.waitForDisconnect());
    EXPECT_EQ(logged_, (std::vector<std::string>{refusal, refusal}));

    // A place that comes free is taken again, however long the others have been silent.
    clients.back().reset();
    ASSERT_TRUE(waitForCount(63));
    now_ += std::chrono::hours(1);
    Client next(server_.port());
    EXPECT_EQ(next.nextLine(), kHello);
    EXPECT_EQ(server_.connectedExtensionCount(), 64);
    EXPECT_EQ(logged_.size(), 2u);
}

}  // namespace
}  // namespace quillo
