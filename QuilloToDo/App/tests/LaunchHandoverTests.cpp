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

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
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

bool hasOpen(qint64 pid, const QString& path) {
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& link : descriptors.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (link.symLinkTarget() == path) return true;
    }
    return false;
}

// Connections waiting in the accept queue of the sockets process `pid` listens on, as the kernel
// reports them to ss.
int waitingConnections(qint64 pid) {
    QProcess ss;
    ss.start(QStringLiteral("ss"), {QStringLiteral("-xlpH")});
    if (!ss.waitForFinished(kLimitMs)) return 0;
    for (const QString& line : QString::fromLocal8Bit(ss.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.contains(QStringLiteral("pid=%1,").arg(pid)))
            return line.split(QLatin1Char(' '), Qt::SkipEmptyParts)[2].toInt();
    }
    return 0;
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

// The holder killed while a later launch finds it unreachable (not listening yet: its socket is
// gone) and while the later launch waits for an answer on a connection the stopped holder accepted:
// the later launch takes the claim and runs as the one copy.
TEST_F(LaunchTest, AHolderKilledDuringALaterLaunchsHandOverLeavesThatLaunchAsTheOneCopy) {
    for (const bool connected : {false, true}) {
        SCOPED_TRACE(connected ? "connected, no answer" : "before connecting");
        QProcess& holder = launch();
        ASSERT_TRUE(QTest::qWaitFor([&] { return listening(); }, kLimitMs));
        const auto holderId = static_cast<pid_t>(holder.processId());
        if (connected) {
            ::kill(holderId, SIGSTOP);
        } else {
            ASSERT_TRUE(QFile::remove(socket()));
        }
        const QString window = shot(connected ? "connected.png" : "before.png");
        QProcess& later = launchShowing(window, runtime);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return connected ? waitingConnections(holderId) > 0 : hasOpen(later.processId(), lockFile()); },
            kLimitMs));
        EXPECT_EQ(later.state(), QProcess::Running);
        ::kill(holderId, SIGKILL);
        ASSERT_TRUE(holder.waitForFinished(kLimitMs));
        expectRanAsTheOneCopy(later, window);
    }
}

// The running copy quits (here after writing its window) with a later launch arriving as it
// tears down: that launch runs as the next copy.
TEST_F(LaunchTest, ALaunchWhileTheRunningCopyQuitsRunsAsTheNextCopy) {
    QProcess& quitting = launchShowing(shot("first.png"), runtime);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quitting.canReadLine() || quitting.waitForReadyRead(100); }, kLimitMs));
    // Held where it is, on its way out.
    ::kill(static_cast<pid_t>(quitting.processId()), SIGSTOP);
    QProcess& later = launchShowing(shot("next.png"), runtime);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasOpen(later.processId(), lockFile()); }, kLimitMs));
    ::kill(static_cast<pid_t>(quitting.processId()), SIGCONT);
    ASSERT_TRUE(quitting.waitForFinished(kLimitMs));
    EXPECT_EQ(quitting.exitCode(), 0);
    expectRanAsTheOneCopy(later, shot("next.png"));
}

// The lock lives with the settings: launches that see other runtime folders, or none, meet the
// running copy, which listens in a private folder of its own where the runtime folder is not one.
TEST_F(LaunchTest, OneSettingsFolderIsOneCopyWhateverRuntimeFolderEachLaunchSees) {
    const fs::path shared = root / "shared";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    QProcess& running = launch({}, shared);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listening(); }, kLimitMs));
    const QFileInfo listensIn(QFileInfo(socket()).path());
    EXPECT_EQ(listensIn.path(), qPath(root / "tmp"));
    EXPECT_TRUE(listensIn.fileName().startsWith("QuilloToDo-"));
    EXPECT_TRUE(fs::is_empty(shared));

    const fs::path other = root / "other-runtime";
    makePrivate(other);
    for (const std::optional<fs::path>& runtimeFolder : {std::optional(other), std::optional<fs::path>()}) {
        QProcess& later = launch({}, runtimeFolder);
        ASSERT_TRUE(later.waitForFinished(kLimitMs));
        EXPECT_EQ(later.exitCode(), 0) << later.readAllStandardError().toStdString();
    }
    EXPECT_EQ(running.state(), QProcess::Running);

    // Killed, it leaves its private folder; the next copy to claim the settings clears it away.
    running.kill();
    ASSERT_TRUE(running.waitForFinished(kLimitMs));
    ASSERT_TRUE(listensIn.exists());
    launch({}, shared);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listening(); }, kLimitMs));
    EXPECT_FALSE(QFileInfo::exists(listensIn.filePath()));
}

// A read-only settings folder (to root too: the launch runs as nobody then) and a socket path too
// long to listen on are errors that say so, and leave no claim behind.
TEST_F(LaunchTest, ALockThatCannotBeMadeOrASocketThatCannotListenEndsTheLaunchWithTheReason) {
    const fs::path deep = runtime / std::string(120, 'r');
    makePrivate(deep);
    QProcess& deaf = launch({}, deep);
    ASSERT_TRUE(deaf.waitForFinished(kLimitMs));
    EXPECT_EQ(deaf.exitCode(), 1);
    EXPECT_TRUE(deaf.readAllStandardError().contains("QuilloToDo: cannot listen for later launches on "));
    EXPECT_FALSE(lockHeld(lockFile()));

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
    QProcess& readOnly = launch();
    ASSERT_TRUE(readOnly.waitForFinished(kLimitMs));
    EXPECT_EQ(readOnly.exitCode(), 1);
    const QByteArray said = readOnly.readAllStandardError();
    EXPECT_TRUE(said.contains("QuilloToDo: cannot make the lock file " + QFile::encodeName(lockFile()) +
                              ": Permission denied\n"))
        << said.toStdString();
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
