#include "tools/DedicatedServerThread.h"

#include "platform/LaunchCodes.h"
#include "platform/Process.h"
#include "platform/SpecPath.h"
#include "support/StandinScratch.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QtTest>

#include <memory>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

using namespace kelvarin;
using test::StandinScratch;

namespace {

// Long enough for a loaded machine to start a process; the tests never
// measure how fast anything is.
constexpr int StartLimitMs = 30000;

struct Failure
{
    int code;
    QString target;
};

// A scratch game (the scratch's PATH is empty: no terminal, no wine, no
// display) whose System/UCC.exe may be the UCC stand-in.
struct ServerGame
{
    StandinScratch scratch;

    QString System() const { return scratch.Path(QStringLiteral("game")) + QLatin1String("\\System"); }
    QString Ucc() const { return System() + QLatin1String("\\UCC.exe"); }
    void InstallStandin() const { scratch.CopyProgram(QStringLiteral("game/System/UCC.exe"), QStringLiteral(KELVARIN_UCC_STANDIN)); }
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

private slots:
    void ServerKeepsRunningWhenTheWatchStops()
    {
        ServerGame game;
        game.InstallStandin();
        QObject context;
        QList<Failure> failures;
        auto thread = StartThread(game.Ucc(), game.System(), &context, failures);
        QTRY_COMPARE_WITH_TIMEOUT(game.scratch.Starts().size(), 1, StartLimitMs);

        const StandinScratch::Start start = game.scratch.Starts().first();
        QCOMPARE(start.arguments, (QStringList{"server", "ctf-face"}));
        QCOMPARE(QDir(start.workingDirectory).canonicalPath(),
                 QDir(game.scratch.Path(QStringLiteral("game/System"))).canonicalPath());
        const qint64 pid = start.pid;
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

    // A thread whose program ends or never starts ends by itself. A failed
    // start reaches the handler once, later, on the context's thread (how
    // each fault of the start is told apart is the process start's
    // business); a server that ran and ended, or no program at all, is none.
    void EndsByItself_data()
    {
        QTest::addColumn<QString>("program");   // below System; empty: none at all
        QTest::addColumn<bool>("installed");   // the stand-in, which ends at once
        QTest::addColumn<int>("code");   // the failure; 0: any error code; -1: none
        QTest::newRow("server that ends") << "UCC.exe" << true << -1;
        QTest::newRow("missing program") << "UCC.exe" << false << int(LaunchCode::FileNotFound);
        QTest::newRow("a name too long") << QString(300, QLatin1Char('u')) + ".exe" << false << 0;
        QTest::newRow("no program") << "" << false << -1;
    }

    void EndsByItself()
    {
        QFETCH(QString, program);
        QFETCH(bool, installed);
        QFETCH(int, code);
        ServerGame game;
        QDir().mkpath(game.scratch.Path(QStringLiteral("game/System")));
        if (installed) {
            game.InstallStandin();
            qputenv("KELVARIN_STANDIN_EXIT", "0");   // put back by the scratch
        }
        const QString system = program.isEmpty() ? QString() : game.System();
        if (!program.isEmpty())
            program = system + QLatin1Char('\\') + program;
        QObject context;
        QList<Failure> failures;
        auto thread = StartThread(program, system, &context, failures);
        QVERIFY(thread->wait(QDeadlineTimer(StartLimitMs)));
        QCOMPARE(failures.size(), 0);   // delivered on the context's thread, not from the thread
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(failures.size(), code < 0 ? 0 : 1);
        QCOMPARE(game.scratch.Starts().size(), installed ? 1 : 0);   // a failed start ran nothing, not even a shell
        QCOMPARE(thread->ServerPid(), installed ? game.scratch.Starts().first().pid : qint64(0));
        if (code < 0)
            return;
        if (code)
            QCOMPARE(failures.first().code, code);
        QVERIFY(failures.first().code > 0);
        QVERIFY(!LaunchCode::Succeeded(failures.first().code));
        QCOMPARE(failures.first().target, SpecPath::Display(program));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestDedicatedServerThread)
#include "tst_dedicatedserverthread.moc"
