#include "platform/gui/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QtTest>

#include <cstdlib>
#include <memory>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#endif

using namespace kelvarin;

namespace {

// Set in the environment of a child copy of this test: take the lock under
// this name and die without giving it back, like a crashed instance.
const char *const HoldAndDie = "KELVARIN_TEST_HOLD_AND_DIE";
// Likewise: take the lock, say "locked", listen only a moment later, print
// the first request received.
const char *const ListenLate = "KELVARIN_TEST_LISTEN_LATE";

QString UniqueName() { return QStringLiteral("kelvarin-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12); }

#ifdef Q_OS_LINUX
// The built program, started with its input and output on /dev/null; this
// test reaps it itself, so that a killed one can stay unreaped for a while.
struct Program
{
    pid_t pid = -1;
    int status = 0;
    bool ended = false;

    Program(const QProcessEnvironment &env, const QString &dir)
    {
        const QStringList pairs = env.toStringList();
        QList<QByteArray> storage;
        std::vector<char *> envp;
        for (const QString &pair : pairs)
            storage.append(pair.toLocal8Bit());
        for (QByteArray &entry : storage)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        QByteArray program(KELVARIN_PATH);
        char *argv[] = {program.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (int fd = 0; fd < 3; ++fd)
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
        posix_spawn_file_actions_addchdir_np(&actions, QFile::encodeName(dir).constData());
        if (posix_spawn(&pid, program.constData(), &actions, nullptr, argv, envp.data()) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Program()
    {
        Kill();
        Reap();
    }
    bool Ended()
    {
        if (!ended && pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid)
            ended = true;
        return ended || pid <= 0;
    }
    void Kill()
    {
        if (pid > 0 && !ended)
            ::kill(pid, SIGKILL);
    }
    void Reap()
    {
        if (pid > 0 && !ended && ::waitpid(pid, &status, 0) == pid)
            ended = true;
    }
};
#endif

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    // A second start is refused and hands its file, if any, over to the
    // first; other requests arrive as they were sent; once the first
    // instance ends, the next start runs.
    void SecondInstanceHandsItsFileOver_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("sent");   // false: too long, it only brings forward
        QTest::newRow("no file") << QString() << true;
        QTest::newRow("blanks, percent and non-ASCII") << "/home/mod/My 100% Café/Gadget.uc" << true;
        QTest::newRow("line break in the name") << "/tmp/odd\nname.uc" << true;
        QTest::newRow("long path") << QStringLiteral("/") + QString(4000, QLatin1Char('d')) + QStringLiteral("/X.uc")
                                   << true;
        QTest::newRow("too long") << QStringLiteral("/") + QString(SingleInstance::MaxRequestBytes, 'x') << false;
    }

    void SecondInstanceHandsItsFileOver()
    {
        QFETCH(QString, file);
        QFETCH(bool, sent);
        const QString name = UniqueName();
        auto first = std::make_unique<SingleInstance>(name);
        QVERIFY(first->TryAcquire());
        QSignalSpy received(first.get(), &SingleInstance::RequestReceived);

        SingleInstance second(name);
        QVERIFY(!second.TryAcquire(file));
        QVERIFY(!second.IsHolder());
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{1, 1, sent ? file : QString()}));
        QVERIFY(SingleInstance::SendRequest(name, 2, 5));
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{2, 5, QString()}));

        first.reset();
        SingleInstance next(name);
        QVERIFY(next.TryAcquire());
    }

    // Lines written straight to the socket, the sender hanging up once they
    // are written, while each request's handler runs an event loop of its
    // own (as the main window's first show does). What an earlier version
    // sends, then a line no version sends, then a file request: the bad line
    // is passed over. Two requests: both arrive, and the socket, deleted
    // meanwhile, is not touched again (this crashed the running instance). A
    // line longer than a request can be: the instance drops the connection
    // rather than buffer without end. Either way it still listens to the
    // next start.
    void RawLines_data()
    {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("files");   // of the requests received, "" none
        QTest::addColumn<bool>("dropped");
        QTest::newRow("older style and foreign lines") << QByteArray("1 1\n1 1 open relative/X.uc\n1 1 open /a/Y.uc\n")
                                                       << QStringList{"", "/a/Y.uc"} << false;
        QTest::newRow("two requests") << QByteArray("1 1 open /a/A.uc\n1 1 open /a/B.uc\n")
                                      << QStringList{"/a/A.uc", "/a/B.uc"} << false;
        QTest::newRow("overlong line") << QByteArray(SingleInstance::MaxRequestBytes + 10, '1') + "\n1 1\n"
                                       << QStringList{} << true;
    }

    void RawLines()
    {
        QFETCH(QByteArray, written);
        QFETCH(QStringList, files);
        QFETCH(bool, dropped);
        const QString name = UniqueName();
        SingleInstance first(name);
        QVERIFY(first.TryAcquire());
        QSignalSpy received(&first, &SingleInstance::RequestReceived);
        connect(&first, &SingleInstance::RequestReceived, this, [] {
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
        });

        QLocalSocket socket;
        QSignalSpy gone(&socket, &QLocalSocket::disconnected);
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(5000));
        socket.write(written);
        QVERIFY(dropped ? gone.wait(30000) : socket.waitForBytesWritten(5000));
        socket.disconnectFromServer();
        while (received.size() < files.size())
            QVERIFY(received.wait());
        QCOMPARE(received.size(), files.size());
        for (qsizetype i = 0; i < files.size(); ++i)
            QCOMPARE(received.at(i), (QVariantList{1, 1, files.at(i)}));

        received.clear();
        QVERIFY(SingleInstance::SendRequest(name, 1, 1, QStringLiteral("/a/B.Kelvar")));
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{1, 1, QStringLiteral("/a/B.Kelvar")}));
    }

    void CrashedInstanceDoesNotBlock()
    {
        const QString name = UniqueName();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(HoldAndDie), name);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 7);
        QVERIFY(QFileInfo::exists(QDir::temp().filePath(name + QStringLiteral(".lock"))));

        SingleInstance next(name);
        QVERIFY(next.TryAcquire());
        // The left-over socket was replaced: a later start still reaches us.
        QSignalSpy received(&next, &SingleInstance::RequestReceived);
        QVERIFY(SingleInstance::SendRequest(name, 1, 1, QStringLiteral("/a/X.uc")));
        QVERIFY(received.wait());
    }

    // The holder took the lock but does not listen yet: the later start
    // waits for it rather than give up its request.
    void HolderThatListensLateGetsTheRequest()
    {
        const QString name = UniqueName();
        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(ListenLate), name);
        holder.setProcessEnvironment(env);
        holder.setStandardInputFile(QProcess::nullDevice());
        holder.start(QCoreApplication::applicationFilePath(), {});
        while (!holder.canReadLine())
            QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readLine(), QByteArray("locked\n"));
        SingleInstance second(name);
        QVERIFY(!second.TryAcquire(QStringLiteral("/a/X.uc")));
        QVERIFY(holder.waitForFinished(30000));
        QCOMPARE(holder.readAll(), QByteArray("1 1 open /a/X.uc\n"));
    }

#ifdef Q_OS_LINUX
    // Real programs: whatever happened to the one before, two started at once
    // leave exactly one running, and the other hands over to it.
    void OneOfTwoStartsRuns_data()
    {
        QTest::addColumn<bool>("killFirst");
        QTest::addColumn<bool>("reapFirst");
        QTest::newRow("none before") << false << false;
        QTest::newRow("one killed before") << true << true;
        QTest::newRow("one killed, not yet reaped") << true << false;
    }

    void OneOfTwoStartsRuns()
    {
        QFETCH(bool, killFirst);
        QFETCH(bool, reapFirst);
        QTemporaryDir scratch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *variable : {"TMPDIR", "HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
            const QString dir = scratch.filePath(QLatin1String(variable));
            QVERIFY(QDir().mkpath(dir));
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            env.insert(QLatin1String(variable), dir);
        }
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const QString socket = scratch.filePath(QStringLiteral("TMPDIR/")) + SingleInstance::DefaultName();
        auto answers = [&] { return SingleInstance::SendRequest(socket, 0, 0); };

        std::unique_ptr<Program> first;
        if (killFirst) {
            first = std::make_unique<Program>(env, scratch.path());
            QVERIFY(first->pid > 0);
            QTRY_VERIFY_WITH_TIMEOUT(answers() || first->Ended(), 30000);
            QVERIFY(!first->Ended());
            first->Kill();
            if (reapFirst)
                first->Reap();
        }
        Program one(env, scratch.path());
        Program other(env, scratch.path());
        QVERIFY(one.pid > 0 && other.pid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(one.Ended() || other.Ended(), 60000);
        Program &gone = one.Ended() ? one : other;
        Program &running = one.Ended() ? other : one;
        QVERIFY(WIFEXITED(gone.status));
        QCOMPARE(WEXITSTATUS(gone.status), 1);
        QTRY_VERIFY_WITH_TIMEOUT(answers() || running.Ended(), 30000);
        QVERIFY2(!running.Ended(), qPrintable(QStringLiteral("the instance that should run ended, status %1").arg(running.status)));
    }
#endif

    void ParseRequest_data()
    {
        using Parsed = std::optional<SingleInstance::Request>;
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Parsed>("parsed");   // nullopt: refused
        QTest::newRow("blanks around") << QByteArray("  0   1 \r\n") << Parsed({0, 1, QString()});
        QTest::newRow("one number") << QByteArray("1\n") << Parsed();
        QTest::newRow("empty") << QByteArray() << Parsed();
        QTest::newRow("file") << QByteArray("1 1 open /a%20b/Caf%C3%A9.uc\n") << Parsed({1, 1, "/a b/Café.uc"});
        QTest::newRow("file without open") << QByteArray("1 1 /a/X.uc\n") << Parsed();
        QTest::newRow("relative file") << QByteArray("1 1 open X.uc\n") << Parsed();
        QTest::newRow("NUL in the file") << QByteArray("1 1 open /a%00b.uc\n") << Parsed();
    }

    void ParseRequest()
    {
        QFETCH(QByteArray, line);
        QTEST(SingleInstance::ParseRequest(line), "parsed");
    }
};

int main(int argc, char **argv)
{
    const QString holdName = qEnvironmentVariable(HoldAndDie);
    if (!holdName.isEmpty()) {
        QCoreApplication app(argc, argv);
        SingleInstance instance(holdName);
        // Leave lock file and socket behind, as a crash would.
        std::_Exit(instance.TryAcquire() ? 7 : 8);
    }
    const QString lateName = qEnvironmentVariable(ListenLate);
    if (!lateName.isEmpty()) {
        QCoreApplication app(argc, argv);
        QLockFile lock(QDir::temp().filePath(lateName + QStringLiteral(".lock")));
        if (!lock.tryLock(0))
            return 8;
        QFile out;
        out.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered);
        out.write("locked\n");
        QThread::msleep(300);
        QLocalServer server;
        if (!server.listen(lateName) || !server.waitForNewConnection(20000))
            return 9;
        QLocalSocket *socket = server.nextPendingConnection();
        while (!socket->canReadLine() && socket->waitForReadyRead(20000)) {
        }
        out.write(socket->readLine());
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SingleInstance.moc"
