#include "tools/DedicatedServerThread.h"

#include "platform/LaunchCodes.h"
#include "platform/Process.h"
#include "platform/SpecPath.h"
#include "support/GameDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

using namespace kelvarin;
using test::GameDir;

namespace {

// Long enough for a loaded machine to start a process; the tests never
// measure how fast anything is.
constexpr int StartLimitMs = 30000;

struct Failure
{
    int code;
    QString target;
};

// A scratch game whose System/UCC.exe is the UCC stand-in, and a journal the
// stand-in writes its start to.
struct ServerGame
{
    GameDir game;
    QString journal = game.Native(QStringLiteral("journal.txt"));

    QString Base() const { return game.Base(); }
    QString System() const { return game.Base() + QLatin1String("\\System"); }
    QString Ucc() const { return System() + QLatin1String("\\UCC.exe"); }

    bool InstallStandin() const
    {
        game.MakeDir(QStringLiteral("System"));
        const QString target = game.Native(QStringLiteral("System/UCC.exe"));
        return QFile::copy(QStringLiteral(KELVARIN_UCC_STANDIN), target)
            && QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner
                                                 | QFile::ExeGroup | QFile::ExeOther);
    }

    // The fields of the journal's lines (pid, argv[0], cwd, arguments...).
    QList<QStringList> Starts() const
    {
        QList<QStringList> starts;
        const QByteArray text = game.Read(QStringLiteral("journal.txt"));
        for (const QByteArray &line : text.split('\n'))
            if (!line.isEmpty())
                starts.append(QString::fromLocal8Bit(line).split(QLatin1Char('\t')));
        return starts;
    }
};

// Starts a thread on program with a recorder of its failures (context: the
// test's own context object).
std::unique_ptr<TDedicatedServerThread> StartThread(const QString &program, const QString &system,
                                                    QObject *context, QList<Failure> &failures)
{
    auto thread = std::make_unique<TDedicatedServerThread>();
    thread->ProgramPath = program;
    thread->Parameters = QStringLiteral("server ctf-face");
    thread->WorkingDirectory = system;
    thread->SetFailureHandler(context, [&failures](int code, const QString &target) {
        failures.append(Failure{code, target});
    });
    thread->start(QThread::HighPriority);
    return thread;
}

// Ends a server the test started, also when a check fails half-way.
struct EndsServer
{
    qint64 pid = 0;
    ~EndsServer()
    {
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
};

bool Alive(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

// True once the process is gone or only a zombie waiting to be reaped.
bool Ended(qint64 pid)
{
    if (!Alive(pid))
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && text.mid(close + 2, 1) == "Z";
}

} // namespace

class TestDedicatedServerThread : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_emptyPath;

private slots:
    void initTestCase()
    {
        // No terminal and no wine to find, no display to show a console on:
        // the server is started directly, as the file it is.
        QVERIFY(m_emptyPath.isValid());
        qputenv("PATH", QFile::encodeName(m_emptyPath.path()));
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("KELVARIN_STANDIN_EXIT");
        qunsetenv("KELVARIN_STANDIN_STDOUT");
    }

    void ServerKeepsRunningWhenTheWatchStops()
    {
        ServerGame game;
        QVERIFY(game.InstallStandin());
        qputenv("KELVARIN_STANDIN_JOURNAL", QFile::encodeName(game.journal));

        QObject context;
        QList<Failure> failures;
        auto thread = StartThread(game.Ucc(), game.System(), &context, failures);
        QTRY_COMPARE_WITH_TIMEOUT(game.Starts().size(), 1, StartLimitMs);

        const QStringList start = game.Starts().first();
        QCOMPARE(start.mid(3), (QStringList{"server", "ctf-face"}));
        QCOMPARE(QDir(start.at(2)).canonicalPath(),
                 QDir(game.game.Native(QStringLiteral("System"))).canonicalPath());
        const qint64 pid = start.at(0).toLongLong();
        EndsServer ender{pid};
        QTRY_COMPARE_WITH_TIMEOUT(thread->ServerPid(), pid, StartLimitMs);
        QVERIFY(thread->isRunning());   // still watching
        // A session of its own: the server outlives this program and its terminal.
        QCOMPARE(qint64(::getsid(pid_t(pid))), pid);
        if (::geteuid() == 0) {
            // Only a privileged user may raise a priority; others are refused quietly.
            const int wanted = Process::NiceValue(TDedicatedServerThread::HighPriorityClass);
            QTRY_COMPARE_WITH_TIMEOUT(::getpriority(PRIO_PROCESS, id_t(pid)), wanted, StartLimitMs);
        }

        thread->Stop();
        QVERIFY(thread->wait(QDeadlineTimer(StartLimitMs)));
        QVERIFY(Alive(pid));
        QVERIFY(!Ended(pid));
        thread.reset();
        QVERIFY(!Ended(pid));   // releasing the thread ends nothing either

        ender.pid = 0;
        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(Ended(pid), StartLimitMs);
        QCoreApplication::processEvents();
        QCOMPARE(failures.size(), 0);
    }

    void ServerEndingEndsTheThread()
    {
        ServerGame game;
        QVERIFY(game.InstallStandin());
        qputenv("KELVARIN_STANDIN_JOURNAL", QFile::encodeName(game.journal));
        qputenv("KELVARIN_STANDIN_EXIT", "0");

        QObject context;
        QList<Failure> failures;
        auto thread = StartThread(game.Ucc(), game.System(), &context, failures);
        const bool ended = thread->wait(QDeadlineTimer(StartLimitMs));
        qunsetenv("KELVARIN_STANDIN_EXIT");
        QVERIFY(ended);
        QCOMPARE(game.Starts().size(), 1);
        QCOMPARE(thread->ServerPid(), game.Starts().first().at(0).toLongLong());
        QCoreApplication::processEvents();
        QCOMPARE(failures.size(), 0);
    }

    void FailedStart_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("code");   // 0: any error code

        QTest::newRow("missing program") << "missing" << LaunchCode::FileNotFound;
        QTest::newRow("a directory named UCC.exe") << "directory" << LaunchCode::AccessDenied;
        QTest::newRow("no execute bit at all") << "no exec bit" << LaunchCode::AccessDenied;
        QTest::newRow("junk bytes with the execute bit") << "junk" << LaunchCode::BadFormat;
        QTest::newRow("a name too long") << "long name" << 0;
    }

    void FailedStart()
    {
        QFETCH(QString, fault);
        QFETCH(int, code);

        ServerGame game;
        game.game.MakeDir(QStringLiteral("System"));
        qputenv("KELVARIN_STANDIN_JOURNAL", QFile::encodeName(game.journal));
        const QString native = game.game.Native(QStringLiteral("System/UCC.exe"));
        QString program = game.Ucc();
        if (fault == QLatin1String("directory")) {
            game.game.MakeDir(QStringLiteral("System/UCC.exe"));
        } else if (fault == QLatin1String("no exec bit")) {
            QVERIFY(QFile::copy(QStringLiteral(KELVARIN_UCC_STANDIN), native));
            QVERIFY(QFile::setPermissions(native, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                      | QFile::ReadOther));
        } else if (fault == QLatin1String("junk")) {
            QByteArray junk;
            for (int i = 0; i < 512; ++i)
                junk.append(char((i * 37 + 11) & 0xff));
            junk[0] = char(0x01);   // neither "MZ", "#!" nor an ELF header
            game.game.WriteBytes(QStringLiteral("System/UCC.exe"), junk);
            QVERIFY(QFile::setPermissions(native, QFile::permissions(native) | QFile::ExeOwner
                                                      | QFile::ExeGroup | QFile::ExeOther));
        } else if (fault == QLatin1String("long name")) {
            program = game.System() + QLatin1Char('\\') + QString(300, QLatin1Char('u'))
                + QLatin1String(".exe");
        }

        QObject context;
        QList<Failure> failures;
        auto thread = StartThread(program, game.System(), &context, failures);
        QVERIFY(thread->wait(QDeadlineTimer(StartLimitMs)));
        QCOMPARE(failures.size(), 0);   // delivered on the context's thread, not from the thread
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();

        QCOMPARE(failures.size(), 1);
        if (code)
            QCOMPARE(failures.first().code, code);
        QVERIFY(failures.first().code > 0);
        QVERIFY(!LaunchCode::Succeeded(failures.first().code));
        QCOMPARE(failures.first().target, SpecPath::Display(program));
        QCOMPARE(thread->ServerPid(), qint64(0));
        QCOMPARE(game.Starts().size(), 0);   // nothing ran, not even a shell
    }

    void FailureIsNotDeliveredToAContextGone()
    {
        ServerGame game;
        auto context = std::make_unique<QObject>();
        QList<Failure> failures;
        auto thread = StartThread(game.Ucc(), game.System(), context.get(), failures);
        QVERIFY(thread->wait(QDeadlineTimer(StartLimitMs)));
        context.reset();
        QCoreApplication::processEvents();
        QCOMPARE(failures.size(), 0);
    }

    void EmptyProgramDoesNothing()
    {
        QObject context;
        QList<Failure> failures;
        auto thread = StartThread(QString(), QString(), &context, failures);
        QVERIFY(thread->wait(QDeadlineTimer(StartLimitMs)));
        QCoreApplication::processEvents();
        QCOMPARE(failures.size(), 0);
        QCOMPARE(thread->ServerPid(), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestDedicatedServerThread)
#include "tst_dedicatedserverthread.moc"
