#include "QuilloToDo/App/LaunchHandover.h"

#include "Platform/QtBridge/QtText.h"
#include "QuilloToDo/App/PrivateFolder.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "testing/LibraryBuilder.h"
#include "testing/TemporaryDirectory.h"

#include <QDir>
#include <QLocalServer>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillo {
namespace {

namespace fs = std::filesystem;
using Outcome = LaunchHandover::Outcome;
constexpr int kLimitMs = 60'000;  // generous: a busy machine starts a program slowly

QString qPath(const fs::path& path) { return platform::toQString(path); }

void makePrivate(const fs::path& folder) {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all);
}

// True while some process holds the lock file's flock().
bool lockHeld(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// Connections waiting in the accept queue of the sockets process `pid` listens on, as the kernel
// reports them to ss.
int waitingConnections(qint64 pid) {
    QProcess ss;
    ss.start(QStringLiteral("ss"), {QStringLiteral("-xlpH")});
    if (!ss.waitForFinished(kLimitMs)) return 0;
    int waiting = 0;
    for (const QString& line : QString::fromLocal8Bit(ss.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.contains(QStringLiteral("pid=%1,").arg(pid)))
            waiting += line.split(QLatin1Char(' '), Qt::SkipEmptyParts).value(2).toInt();
    }
    return waiting;
}

// A socket at `path` that nobody listens on: connecting to it is refused.
bool leaveDeadSocket(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (static_cast<std::size_t>(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);
    return bound;
}

// Counts the reads of a file (inotify's IN_ACCESS) from now on; reads close together may count once.
class ReadsOf {
public:
    explicit ReadsOf(const QString& path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(::inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_ACCESS), 0);
    }
    ~ReadsOf() { ::close(fd_); }
    ReadsOf(const ReadsOf&) = delete;
    ReadsOf& operator=(const ReadsOf&) = delete;

    int count() {
        alignas(inotify_event) char events[4096];
        for (ssize_t size; (size = ::read(fd_, events, sizeof events)) > 0;) {
            for (ssize_t at = 0; at < size;
                 at +=
                 static_cast<ssize_t>(sizeof(inotify_event) + reinterpret_cast<inotify_event*>(events + at)->len)) {
                ++count_;
            }
        }
        return count_;
    }

private:
    int fd_;
    int count_ = 0;
};

// True once process `pid` is stopped or has ended, as /proc reports it.
bool stoppedOrEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(") ");
    if (afterName < 0 || afterName + 2 >= line.size()) return true;
    const char state = line[afterName + 2];
    return state == 'T' || state == 'Z' || state == 'X';
}

// Real launches of build/bin/QuilloToDo on the offscreen platform over folders of the test's own,
// with one watched library (the first refresh, after which --screenshot writes the window, needs
// one). They cannot reach a DNS-SD daemon: no other test's panel finds them.
class LaunchTest : public ::testing::Test {
protected:
    LaunchTest() {
        for (const char* folder : {"config/QuilloToDo", "data", "tmp", "reminders"}) {
            fs::create_directories(root / folder);
        }
        makePrivate(runtime);
        quillo::testing::LibraryBuilder library(root, "Cut");
        library.event("Day 1");
        QSettings settings(qPath(root / "config/QuilloToDo/QuilloToDo.conf"), QSettings::IniFormat);
        LibraryController(settings).addLibrary(QUrl::fromLocalFile(qPath(library.finish())));
    }
    ~LaunchTest() override {
        for (const auto& copy : copies) {
            if (copy->state() == QProcess::NotRunning) continue;
            ::kill(static_cast<pid_t>(copy->processId()), SIGCONT);
            copy->kill();
            copy->waitForFinished(kLimitMs);
        }
        // A test may leave folders read-only that the temporary folder's removal must empty.
        std::error_code ignored;
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(root / "config/QuilloToDo", fs::perms::owner_all, fs::perm_options::add, ignored);
    }

    QProcess& launch(const QStringList& arguments, std::optional<fs::path> runtimeFolder) {
        auto environment = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, folder] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                           {"XDG_DATA_HOME", "data"},
                                           {"TMPDIR", "tmp"},
                                           {"QUILLOTODO_REMINDERS_DIR", "reminders"}}) {
            environment.insert(QString::fromLatin1(name), qPath(root / folder));
        }
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        if (runtimeFolder) environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), qPath(*runtimeFolder));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
        environment.insert(QStringLiteral("QUILLOTODO_UPDATE_FEED_URL"), QStringLiteral("http://127.0.0.1:9/feed.xml"));
        environment.remove(QStringLiteral("QUILLOTODO_FEEDBACK_URL"));
        auto& copy = *copies.emplace_back(std::make_unique<QProcess>());
        copy.setProcessEnvironment(environment);
        copy.setChildProcessModifier(childSetup);
        copy.start(QStringLiteral(QUILLOTODO_PROGRAM), arguments);
        EXPECT_TRUE(copy.waitForStarted(kLimitMs));
        return copy;
    }
    QProcess& launch() { return launch({}, runtime); }
    // A launch that writes its window to `shot` once it runs as the one copy, then quits.
    QProcess& launchShowing(const QString& shot, std::optional<fs::path> runtimeFolder) {
        return launch({QStringLiteral("--screenshot"), shot}, runtimeFolder);
    }
    QString shot(const char* name) const { return qPath(root / name); }

    QString lockFile() const { return qPath(root / "config/QuilloToDo" / LaunchHandover::kLockFileName); }
    // Where the lock file says the running copy listens.
    QString socket() const {
        QFile lock(lockFile());
        return lock.open(QIODevice::ReadOnly) ? QFile::decodeName(lock.readLine().trimmed()) : QString();
    }
    bool listening() const { return lockHeld(lockFile()) && isPrivateSocket(socket()); }

    static void expectRanAsTheOneCopy(QProcess& copy, const QString& shot) {
        ASSERT_TRUE(copy.waitForFinished(kLimitMs));
        EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy.exitCode(), 0) << copy.readAllStandardError().toStdString();
        EXPECT_TRUE(QFileInfo::exists(shot)) << "no window: " << shot.toStdString();
    }

    quillo::testing::TemporaryDirectory directory;
    const fs::path root = directory.path();
    const fs::path runtime = root / "runtime";
    std::function<void()> childSetup;
    std::vector<std::unique_ptr<QProcess>> copies;
};

// The holder killed at each point of a later launch's handover: while its socket is missing (as
// before it listens), while connecting is refused, and while the later launch waits for an answer on
// a connection the stopped holder has not accepted: the later launch takes the claim and runs as the
// one copy.
TEST_F(LaunchTest, AHolderKilledDuringALaterLaunchsHandOverLeavesThatLaunchAsTheOneCopy) {
    enum class Point { unreachable, refused, unanswered };
    for (const Point point : {Point::unreachable, Point::refused, Point::unanswered}) {
        const char* name = point == Point::unreachable ? "unreachable"
                           : point == Point::refused   ? "refused"
                                                       : "unanswered";
        SCOPED_TRACE(name);
        QProcess& holder = launch();
        ASSERT_TRUE(QTest::qWaitFor([&] { return listening(); }, kLimitMs));
        const auto holderId = static_cast<pid_t>(holder.processId());
        const QString listensOn = socket();
        if (point == Point::unanswered) {
            ::kill(holderId, SIGSTOP);
        } else {
            ASSERT_TRUE(QFile::remove(listensOn));
            if (point == Point::refused) {
                ASSERT_TRUE(leaveDeadSocket(listensOn));
            }
        }
        // The later launch reads the lock file before each attempt: a second read follows a first
        // attempt that came to nothing.
        ReadsOf reads(lockFile());
        const QString window = shot((name + QStringLiteral(".png")).toUtf8().constData());
        QProcess& later = launchShowing(window, runtime);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return point == Point::unanswered ? waitingConnections(holderId) > 0 : reads.count() >= 2; },
            kLimitMs));
        EXPECT_EQ(later.state(), QProcess::Running);
        ::kill(holderId, SIGKILL);
        ASSERT_TRUE(holder.waitForFinished(kLimitMs));
        expectRanAsTheOneCopy(later, window);
    }
}

// Quitting, a copy stops listening before it tears anything down and holds the lock until it ends:
// a launch meanwhile waits, then runs as the next copy. The copy is stopped (SIGSTOP) as its socket
// goes; its teardown takes milliseconds, which a busy machine may let pass unseen, so it is tried
// a few times. A copy that let go of its socket only as it ends is never caught holding the lock.
TEST_F(LaunchTest, ALaunchWhileTheRunningCopyQuitsRunsAsTheNextCopy) {
    QProcess* quitting = nullptr;
    for (int attempt = 0; attempt < 5 && !quitting; ++attempt) {
        QProcess& copy = launchShowing(shot("first.png"), runtime);
        ASSERT_TRUE(QTest::qWaitFor([&] { return listening(); }, kLimitMs));
        const QByteArray listensOn = QFile::encodeName(socket());
        const auto copyId = static_cast<pid_t>(copy.processId());
        struct stat status {};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitMs);
        while (::lstat(listensOn.constData(), &status) == 0 && std::chrono::steady_clock::now() < deadline) {
        }
        ::kill(copyId, SIGSTOP);
        ASSERT_TRUE(QTest::qWaitFor([&] { return stoppedOrEnded(copyId); }, kLimitMs));
        if (lockHeld(lockFile())) {
            quitting = &copy;
        } else {
            ::kill(copyId, SIGCONT);
            ASSERT_TRUE(copy.waitForFinished(kLimitMs));
        }
    }
    ASSERT_NE(quitting, nullptr) << "never caught between letting go of its socket and ending";
    EXPECT_FALSE(QFileInfo::exists(socket()));

    ReadsOf reads(lockFile());
    QProcess& later = launchShowing(shot("next.png"), runtime);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads.count() >= 2; }, kLimitMs));
    EXPECT_EQ(later.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(quitting->processId()), SIGCONT);
    ASSERT_TRUE(quitting->waitForFinished(kLimitMs));
    EXPECT_EQ(quitting->exitCode(), 0);
    expectRanAsTheOneCopy(later, shot("next.png"));
}

// The lock lives with the settings: launches that see another private runtime folder, one others
// can enter, or none all meet the running copy. Where its runtime folder is not private the copy
// listens in a private folder of its own; the next copy to claim the settings clears away what a
// killed one left.
TEST_F(LaunchTest, OneSettingsFolderIsOneCopyWhateverRuntimeFolderEachLaunchSees) {
    const fs::path other = root / "other-runtime";
    makePrivate(other);
    const fs::path shared = root / "shared";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    const auto laterLaunchesHandOver = [&] {
        for (const std::optional<fs::path>& runtimeFolder :
             {std::optional(runtime), std::optional(other), std::optional(shared), std::optional<fs::path>()}) {
            SCOPED_TRACE(runtimeFolder ? runtimeFolder->string() : "no runtime folder");
            QProcess& later = launch({}, runtimeFolder);
            ASSERT_TRUE(later.waitForFinished(kLimitMs));
            EXPECT_EQ(later.exitCode(), 0) << later.readAllStandardError().toStdString();
        }
    };

    QProcess& first = launch({}, runtime);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listening(); }, kLimitMs));
    const QString inRuntime = socket();
    EXPECT_EQ(QFileInfo(inRuntime).path(), qPath(runtime));
    laterLaunchesHandOver();
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    ASSERT_TRUE(first.waitForFinished(kLimitMs));
    ASSERT_TRUE(QFileInfo::exists(inRuntime));
    // Until the claiming copy listens, the lock file still names the killed one's socket.
    QProcess& second = launch({}, shared);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listening() && socket() != inRuntime; }, kLimitMs));
    const QString listensIn = QFileInfo(socket()).path();
    EXPECT_EQ(QFileInfo(listensIn).path(), qPath(root / "tmp"));
    EXPECT_TRUE(QFileInfo(listensIn).fileName().startsWith("QuilloToDo-"));
    EXPECT_TRUE(fs::is_empty(shared));
    EXPECT_FALSE(QFileInfo::exists(inRuntime));
    laterLaunchesHandOver();
    EXPECT_EQ(second.state(), QProcess::Running);

    second.kill();
    ASSERT_TRUE(second.waitForFinished(kLimitMs));
    ASSERT_TRUE(QFileInfo::exists(listensIn));
    const QString left = socket();
    launch({}, runtime);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listening() && socket() != left; }, kLimitMs));
    EXPECT_FALSE(QFileInfo::exists(listensIn));
}

// A socket path too long to listen on, a lock file that cannot be written (as on a full disk), one
// of another user's and a read-only settings folder (to root too: the launch runs as nobody then)
// are errors that say so, and leave no claim and no socket behind.
TEST_F(LaunchTest, ALockThatCannotBeMadeOrASocketThatCannotListenEndsTheLaunchWithTheReason) {
    const auto expectRefused = [&](QProcess& copy, const QByteArray& reason) {
        ASSERT_TRUE(copy.waitForFinished(kLimitMs));
        EXPECT_EQ(copy.exitCode(), 1);
        const QByteArray said = copy.readAllStandardError();
        EXPECT_TRUE(said.contains("QuilloToDo: " + reason)) << said.toStdString();
        EXPECT_FALSE(lockHeld(lockFile()));
        for (const auto& entry : fs::directory_iterator(runtime)) EXPECT_FALSE(entry.is_socket()) << entry.path();
    };
    const fs::path deep = runtime / std::string(120, 'r');
    makePrivate(deep);
    expectRefused(launch({}, deep), "cannot listen for later launches on ");

    childSetup = [] {
        ::signal(SIGXFSZ, SIG_IGN);  // kept across exec: writing past the limit fails with EFBIG
        const rlimit nothing{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &nothing);
    };
    expectRefused(launch(), "cannot write the lock file " + QFile::encodeName(lockFile()) + ": File too large\n");
    childSetup = {};

    if (::geteuid() == 0) {  // only root can give a file away
        ASSERT_EQ(::chown(QFile::encodeName(lockFile()).constData(), 65534, 65534), 0);
        expectRefused(launch(), "the lock file " + QFile::encodeName(lockFile()) + " is not this user's own file\n");
    }

    QFile::remove(lockFile());
    fs::permissions(root, fs::perms::owner_all | fs::perms::others_exec);
    fs::permissions(root / "config/QuilloToDo",
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    if (::geteuid() == 0) {
        childSetup = [] {
            constexpr uid_t kNobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(126);
        };
    }
    expectRefused(launch(), "cannot make the lock file " + QFile::encodeName(lockFile()) + ": Permission denied\n");
    EXPECT_FALSE(QFileInfo::exists(lockFile()));
}

// In this process: a later launch for the same folder, however spelled, hands over; another folder
// is a copy of its own; a claim dies with its holder.
TEST(LaunchHandover, ALaterLaunchAsksTheRunningCopyToShowItsWindow) {
    quillo::testing::TemporaryDirectory directory;
    makePrivate(directory.path() / "runtime");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(qPath(directory.path() / "runtime")));
    const QString folder = qPath(directory.path() / "config");
    auto running = std::make_unique<LaunchHandover>(folder);
    ASSERT_EQ(running->claim(), Outcome::claimed);
    QSignalSpy shown(running.get(), &LaunchHandover::showRequested);
    LaunchHandover later(folder + "/../config/");
    ASSERT_EQ(later.claim(), Outcome::held);
    LaunchHandover elsewhere(qPath(directory.path() / "other"));
    EXPECT_EQ(elsewhere.claim(), Outcome::claimed);

    QSignalSpy finished(&later, &LaunchHandover::finished);
    later.handOver();
    EXPECT_EQ(finished.count(), 0);
    ASSERT_TRUE(finished.wait(kLimitMs));
    EXPECT_EQ(finished.front().front().value<Outcome>(), Outcome::handedOver);
    EXPECT_EQ(shown.count(), 1);

    running.reset();
    LaunchHandover next(folder);
    EXPECT_EQ(next.claim(), Outcome::claimed);
    qunsetenv("XDG_RUNTIME_DIR");
}

// A socket in a folder others can enter is not the running copy's to trust: a later launch never
// asks it, and gives up at the limit as with a copy that never answers.
TEST(LaunchHandover, ASocketOthersCanReachIsNeverAsked) {
    quillo::testing::TemporaryDirectory directory;
    const fs::path runtime = directory.path() / "runtime";
    makePrivate(runtime);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(qPath(runtime)));
    const QString folder = qPath(directory.path() / "config");
    LaunchHandover running(folder);
    ASSERT_EQ(running.claim(), Outcome::claimed);
    QSignalSpy shown(&running, &LaunchHandover::showRequested);
    fs::permissions(runtime, fs::perms::others_exec, fs::perm_options::add);

    LaunchHandover later(folder);
    ASSERT_EQ(later.claim(), Outcome::held);
    QSignalSpy finished(&later, &LaunchHandover::finished);
    later.handOver();
    ASSERT_TRUE(finished.wait(kLimitMs));
    EXPECT_EQ(finished.front().front().value<Outcome>(), Outcome::failed);
    EXPECT_EQ(later.errorString(), "a running copy holds " + folder + " but does not answer");
    EXPECT_EQ(shown.count(), 0);
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(PrivateFolder, OnlyWhatThisUserAloneCanReachIsPrivate) {
    quillo::testing::TemporaryDirectory directory;
    const fs::path mine = directory.path() / "mine";
    makePrivate(mine);
    EXPECT_TRUE(isPrivateFolder(qPath(mine)));
    fs::create_directory_symlink(mine, directory.path() / "link");
    EXPECT_FALSE(isPrivateFolder(qPath(directory.path() / "link")));
    EXPECT_FALSE(isPrivateFolder(qPath(directory.path() / "missing")));

    QLocalServer server;
    ASSERT_TRUE(server.listen(qPath(mine / "socket")));
    EXPECT_TRUE(isPrivateSocket(qPath(mine / "socket")));
    fs::create_symlink(mine / "socket", mine / "socket-link");
    EXPECT_FALSE(isPrivateSocket(qPath(mine / "socket-link")));
    QFile(qPath(mine / "file")).open(QIODevice::WriteOnly);
    EXPECT_FALSE(isPrivateSocket(qPath(mine / "file")));
    if (::geteuid() == 0) {  // only root can give a file away
        ASSERT_EQ(::chown(qPrintable(qPath(mine / "socket")), 65534, 65534), 0);
        EXPECT_FALSE(isPrivateSocket(qPath(mine / "socket")));
        ASSERT_EQ(::chown(qPrintable(qPath(mine / "socket")), 0, 0), 0);
    }
    fs::permissions(mine, fs::perms::group_exec, fs::perm_options::add);
    EXPECT_FALSE(isPrivateFolder(qPath(mine)));
    EXPECT_FALSE(isPrivateSocket(qPath(mine / "socket")));

    qputenv("TMPDIR", QFile::encodeName(qPath(directory.path())));
    QString error;
    const auto made = makePrivateFolder(QStringLiteral("QuilloToDo-"), error);
    const auto another = makePrivateFolder(QStringLiteral("QuilloToDo-"), error);
    qunsetenv("TMPDIR");
    ASSERT_TRUE(made && another);
    EXPECT_NE(*made, *another);
    EXPECT_TRUE(isPrivateFolder(*made));
    EXPECT_EQ(QFileInfo(*made).path(), qPath(directory.path()));
}

}  // namespace
}  // namespace quillo
