#include "platform/LaunchCodes.h"
#include "platform/Process.h"

#include "support/StandinScratch.h"

#include <QtTest>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace kelvarin;
using kelvarin::test::EndOnExit;
using kelvarin::test::StandinScratch;

namespace {

bool Alive(qint64 pid) { return ::kill(pid_t(pid), 0) == 0; }

// True when no process, not even a zombie, has the id any more.
bool Gone(qint64 pid) { return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH; }

} // namespace

class TestProcess : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandinScratch> m_scratch;
    std::unique_ptr<Process> m_server;   // ended by cleanup()

    ProcessStart Standin(const QStringList &arguments, bool ownSession = false) const
    {
        return ProcessStart{QStringLiteral(KELVARIN_UCC_STANDIN), arguments, m_scratch->Path(QString()), ownSession};
    }

    // Starts the stand-in as a server, which runs until it is ended.
    bool StartServer(bool ownSession = false)
    {
        int code = 0;
        m_server = Process::Start(Standin({"server"}, ownSession), &code);
        return m_server != nullptr;
    }

private slots:
    void init()
    {
        m_scratch = std::make_unique<StandinScratch>();
        QVERIFY(m_scratch->IsValid());
    }

    void cleanup()
    {
        const EndOnExit end(m_server);
        m_scratch.reset();
    }

    void starts_data()
    {
        QTest::addColumn<bool>("bareName");   // a program found on PATH, no directory
        QTest::newRow("path, arguments and directory") << false;
        QTest::newRow("bare name from PATH") << true;
    }

    void starts()
    {
        QFETCH(bool, bareName);
        qputenv("KELVARIN_STANDIN_EXIT", "7");
        const QString dir = bareName ? QDir::currentPath() : m_scratch->Path(QStringLiteral("work dir"));
        QVERIFY(QDir().mkpath(dir));
        const QString program = bareName ? QStringLiteral("helper") : QStringLiteral(KELVARIN_UCC_STANDIN);
        m_scratch->AddProgram(QStringLiteral("helper"));
        const QStringList arguments{"server", "ctf-face?game=Botpack.CTFGame", "a b", "", "$HOME;&|"};
        int code = -99;
        std::unique_ptr<Process> process =
            Process::Start(ProcessStart{program, arguments, bareName ? QString() : dir, false}, &code);
        QVERIFY(process);
        QVERIFY(process->Wait(-1));
        QVERIFY(process->Finished());
        QCOMPARE(process->ExitCode(), 7);

        const QList<StandinScratch::Start> starts = m_scratch->Starts();
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().pid, process->Pid());   // the started program's own id
        QCOMPARE(starts.first().program, program);
        QCOMPARE(starts.first().workingDirectory, dir);
        QCOMPARE(starts.first().arguments, arguments);
    }

    void startFailures_data()
    {
        QTest::addColumn<QString>("program");     // below the scratch; "" keeps it empty
        QTest::addColumn<QString>("directory");   // below the scratch; "" none
        QTest::addColumn<int>("expected");
        QTest::newRow("missing file") << "nothing-here" << "" << LaunchCode::FileNotFound;
        QTest::newRow("empty program") << "" << "" << LaunchCode::FileNotFound;
        QTest::newRow("directory as program") << "adir" << "" << LaunchCode::AccessDenied;
        QTest::newRow("no execute bit") << "plain" << "" << LaunchCode::AccessDenied;
        QTest::newRow("junk with execute bit") << "junk" << "" << LaunchCode::BadFormat;
        QTest::newRow("name too long") << QString(300, QLatin1Char('n')) << "" << LaunchCode::PathNotFound;
        QTest::newRow("working directory missing") << "good" << "missing-dir" << LaunchCode::PathNotFound;
    }

    void startFailures()
    {
        QFETCH(QString, program);
        QFETCH(QString, directory);
        QVERIFY(QDir().mkpath(m_scratch->Path(QStringLiteral("adir"))));
        m_scratch->Write(QStringLiteral("plain"), "#!/bin/sh\nexit 0\n", false);
        m_scratch->Write(QStringLiteral("junk"), QByteArray("\x01\x02junk bytes\xff\xfe", 14), true);
        m_scratch->CopyProgram(QStringLiteral("good"), QStringLiteral(KELVARIN_UCC_STANDIN));

        ProcessStart start;
        if (!program.isEmpty())
            start.program = m_scratch->Path(program);
        if (!directory.isEmpty())
            start.workingDirectory = m_scratch->Path(directory);
        int code = -99;
        std::unique_ptr<Process> process = Process::Start(start, &code);
        QVERIFY(!process);
        QTEST(code, "expected");
        QVERIFY(m_scratch->Starts().isEmpty());
    }

    // Waiting never ends the program; ending it reaches a program in its
    // own session as well as one in ours.
    void waitAndTerminate_data()
    {
        QTest::addColumn<bool>("ownSession");
        QTest::newRow("same session") << false;
        QTest::newRow("own session") << true;
    }

    void waitAndTerminate()
    {
        QFETCH(bool, ownSession);
        QVERIFY(StartServer(ownSession));
        const pid_t pid = pid_t(m_server->Pid());
        // setsid happens before the program runs: once it journals, it is set.
        QTRY_COMPARE(m_scratch->Starts().size(), 1);
        QCOMPARE(::getsid(pid) == pid, ownSession);
        QCOMPARE(::getpgid(pid) == pid, ownSession);
        QVERIFY(!m_server->Wait(0));
        QVERIFY(!m_server->Wait(20));
        QVERIFY(!m_server->Finished());
        QCOMPARE(m_server->ExitCode(), -1);
        QVERIFY(m_server->Terminate(1));
        QVERIFY(m_server->Wait(-1));
        QVERIFY(m_server->Finished());
        QCOMPARE(m_server->ExitCode(), -1);   // ended by a signal
        QVERIFY(Gone(pid));
        QVERIFY(!m_server->Terminate(1));     // nothing left to end
    }

    // The watch reports the end once through the event loop, nobody
    // waiting, also for a program that had ended before; a watch destroyed
    // first reports nothing, not even a report already on its way.
    void watchReportsTheEndOnce_data()
    {
        QTest::addColumn<bool>("endedFirst");
        QTest::addColumn<bool>("keepWatch");
        QTest::newRow("ends while watched") << false << true;
        QTest::newRow("had ended") << true << true;
        QTest::newRow("watch gone first") << false << false;
        QTest::newRow("had ended, watch gone first") << true << false;
    }

    void watchReportsTheEndOnce()
    {
        QFETCH(bool, endedFirst);
        QFETCH(bool, keepWatch);
        QVERIFY(StartServer());
        if (endedFirst) {
            QVERIFY(m_server->Terminate(0));
            QVERIFY(m_server->Wait(-1));
        }
        QObject context;
        int reports = 0;
        std::unique_ptr<ProcessWatch> watch = m_server->Watch(&context, [&reports] { ++reports; });
        if (!endedFirst) {
            QCoreApplication::processEvents();
            QCOMPARE(reports, 0);
        }
        if (!keepWatch)
            watch.reset();
        if (!endedFirst)
            QVERIFY(m_server->Terminate(0));
        if (keepWatch) {
            QTRY_COMPARE(reports, 1);
        } else {
            QVERIFY(m_server->Wait(-1));
        }
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(reports, keepWatch ? 1 : 0);
    }

    void destroyingLeavesItRunningAndReapsIt()
    {
        QVERIFY(StartServer(true));
        const qint64 pid = m_server->Pid();
        m_server.reset();
        auto killer = qScopeGuard([pid] {
            if (Alive(pid))
                ::kill(pid_t(pid), SIGKILL);
        });
        QTRY_COMPARE(m_scratch->Starts().size(), 1);   // it went on to run
        QVERIFY(Alive(pid));
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        // Reaped in the background: not even a zombie stays.
        QTRY_VERIFY(Gone(pid));
    }

    void outputIsNotInherited()
    {
        // While the programs start, the test's own standard output and error
        // are a pipe, and a second pipe's write end is open without
        // close-on-exec: neither may reach a started program. The server
        // prints its banner and keeps running while the pipes are checked, so
        // an inherited pipe would hold its data or at least keep a writer.
        int output[2];
        int stray[2];
        QCOMPARE(::pipe(output), 0);
        QCOMPARE(::pipe(stray), 0);
        const int savedOut = ::dup(1);
        const int savedErr = ::dup(2);
        ::fflush(stdout);
        ::fflush(stderr);
        ::dup2(output[1], 1);
        ::dup2(output[1], 2);
        const bool running = StartServer();
        ::dup2(savedOut, 1);
        ::dup2(savedErr, 2);
        ::close(savedOut);
        ::close(savedErr);
        ::close(output[1]);
        ::close(stray[1]);
        QVERIFY(running);
        QTRY_COMPARE(m_scratch->Starts().size(), 1);   // the server runs

        for (int readEnd : {output[0], stray[0]}) {
            ::fcntl(readEnd, F_SETFL, O_NONBLOCK);
            char buffer[64];
            const ssize_t got = ::read(readEnd, buffer, sizeof buffer);
            ::close(readEnd);
            // End of file: nothing was written and no writer is left.
            QCOMPARE(got, ssize_t(0));
        }
        QVERIFY(m_server->Terminate(0));
        QVERIFY(m_server->Wait(-1));
    }

    void setPriorityClass()
    {
        errno = 0;
        const int ownNice = ::getpriority(PRIO_PROCESS, 0);
        if (ownNice != 0 && ::geteuid() != 0)
            QSKIP("this test runs niced: the child cannot be given normal priority");
        QVERIFY(StartServer());
        const id_t pid = id_t(m_server->Pid());
        QVERIFY(m_server->SetPriorityClass(32));
        QCOMPARE(::getpriority(PRIO_PROCESS, pid), 0);
        QVERIFY(m_server->SetPriorityClass(64));
        QCOMPARE(::getpriority(PRIO_PROCESS, pid), 19);
        QVERIFY(!m_server->SetPriorityClass(12345));   // no such class: nothing changes
        QCOMPARE(::getpriority(PRIO_PROCESS, pid), 19);
        QVERIFY(m_server->Terminate(0));
        QVERIFY(m_server->Wait(-1));
        QVERIFY(!m_server->SetPriorityClass(32));      // ended
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
