// The launchers (test run, join, the log, explore, the server) and the
// thread that starts and watches a dedicated server.

#include "tools/Launchers.h"

#include "model/PackageLoader.h"
#include "platform/LaunchCodes.h"
#include "platform/Process.h"
#include "platform/SpecPath.h"
#include "support/ModelHarness.h"
#include "support/RecordingShell.h"
#include "support/StandinScratch.h"
#include "tools/DedicatedServerThread.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

using namespace kelvarin;
using test::ModelHarness;
using test::NodeAtPath;
using test::StandinScratch;

namespace {

// Long enough for a loaded machine to start a process; the tests never
// measure how fast anything is.
constexpr int LaunchLimitMs = 30000;

void Settle() { test::RecordingShell::Settle(); }

QString Describe(const ShellRequest &r)
{
    return r.verb + QLatin1Char('|') + r.file + QLatin1Char('|') + r.parameters + QLatin1Char('|')
        + r.directory;
}

// A game with Core (Object) and GameKit (KitActor, KitInfo and
// System/GameKit.int) loaded, the command line "ctf-face", and the launchers.
struct Fixture
{
    ModelHarness h;
    test::RecordingShell shell;
    test::RecordingErrors errors;
    std::unique_ptr<Launchers> launchers;

    Fixture()
    {
        h.options.CommandLine = QStringLiteral("ctf-face");
        h.game.WriteClass(QStringLiteral("Core"), QStringLiteral("Object.uc"), QStringLiteral("class Object;"));
        h.game.WriteClass(QStringLiteral("GameKit"), QStringLiteral("KitActor.uc"),
                          QStringLiteral("class KitActor expands Object;"));
        h.game.WriteClass(QStringLiteral("GameKit"), QStringLiteral("KitInfo.uc"),
                          QStringLiteral("class KitInfo expands KitActor;"));
        h.game.WriteText(QStringLiteral("System/GameKit.int"), QStringLiteral("[Public]\r\n"));
        h.model.ResetModel();
        PackageLoader loader(h.model);
        loader.LoadPackage(QStringLiteral("Core"), false);
        loader.LoadPackage(QStringLiteral("GameKit"), false);
        launchers = std::make_unique<Launchers>(h.options, h.model, shell, errors, h.prompter);
    }

    QString Base() const { return h.options.BaseDir; }
    QString System() const { return Base() + QLatin1String("\\System"); }
};

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

// True once the process is gone or only a zombie waiting to be reaped.
bool Ended(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && text.mid(close + 2, 1) == "Z";
}

} // namespace

class TestLaunchers : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_emptyPath;

    static void Run(Launchers &launchers, const QString &command)
    {
        if (command == QLatin1String("test run"))
            launchers.TestRunButtonClick();
        else if (command == QLatin1String("join"))
            launchers.JoinyourselfMenuItemClick();
        else if (command == QLatin1String("log"))
            launchers.UTLogClick();
        else if (command == QLatin1String("explore game"))
            launchers.ExploreUTButtonClick();
        else if (command == QLatin1String("server")) {
            // The scratch game has no UCC.exe: the server's thread fails and ends.
            launchers.RundedicatedserverMenuItemClick();
            QVERIFY(launchers.Servers().front()->wait(QDeadlineTimer(LaunchLimitMs)));
        } else {
            QFAIL("unknown command");
        }
    }

private slots:
    void initTestCase()
    {
        // Nothing of the machine's is found or shown: no terminal, no wine.
        QVERIFY(m_emptyPath.isValid());
        qputenv("PATH", QFile::encodeName(m_emptyPath.path()));
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("KELVARIN_STANDIN_EXIT");
        qunsetenv("KELVARIN_STANDIN_STDOUT");
    }

    void LogOfANativeBuildIsTheUsersCopy()
    {
        Fixture f;
        test::StandinScratch scratch;   // HOME is its home/
        // A native build: a Linux program of this machine as System/ut-bin.
        f.h.options.BaseDir = scratch.Path(QStringLiteral("game"));
        scratch.CopyProgram(QStringLiteral("game/System/ut-bin"));
        const QString log = scratch.Path(QStringLiteral("home/.utpg/System/UnrealTournament.log"));
        scratch.Write(QStringLiteral("home/.utpg/System/UnrealTournament.log"), QByteArray());
        f.launchers->UTLogClick();
        QCOMPARE(f.shell.calls.size(), 1);
        QCOMPARE(QFileInfo(SpecPath::ToNative(f.shell.calls.first().request.file)).canonicalFilePath(),
                 QFileInfo(log).canonicalFilePath());
    }

    // What the shell answers later is shown for explore only; an answer, or
    // a server's failure, that arrives after the launchers are gone reaches
    // nobody.
    void Answers_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("errorShown");
        QTest::addColumn<bool>("gone");   // the launchers before the answer arrives

        QTest::newRow("explore game: not found") << "explore game" << LaunchCode::PathNotFound << true << false;
        QTest::newRow("explore game: unknown error 0") << "explore game" << 0 << true << false;
        QTest::newRow("explore game: the last error code") << "explore game" << 32 << true << false;
        QTest::newRow("explore game: opened") << "explore game" << 33 << false << false;
        QTest::newRow("test run: a failed start stays silent") << "test run" << LaunchCode::FileNotFound << false << false;
        QTest::newRow("join: silent") << "join" << LaunchCode::BadFormat << false << false;
        QTest::newRow("log: silent") << "log" << LaunchCode::NoAssociation << false << false;
        QTest::newRow("explore game: launchers gone") << "explore game" << LaunchCode::PathNotFound << false << true;
        QTest::newRow("server failed: launchers gone") << "server" << 0 << false << true;
    }

    void Answers()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, errorShown);
        QFETCH(bool, gone);

        Fixture f;
        f.shell.answers = {answer};
        Run(*f.launchers, command);
        QCOMPARE(f.errors.shown.size(), 0);   // answers come later, never from inside the call
        if (gone)
            f.launchers.reset();
        Settle();
        QCOMPARE(f.errors.shown.size(), errorShown ? 1 : 0);
        if (errorShown) {
            QCOMPARE(f.errors.shown.first().first, answer);
            QCOMPARE(f.errors.shown.first().second, SpecPath::Display(f.Base()));
        }
        QCOMPARE(f.h.prompter.shown.size(), 0);
    }

    void ExplorePackage_data()
    {
        QTest::addColumn<QString>("tree");      // "packages" or "classes"
        QTest::addColumn<QString>("path");      // empty: no node
        QTest::addColumn<QString>("explored");  // the package explored; empty: none
        QTest::addColumn<QString>("refused");   // the package in the error box (code 3); empty: none
        QTest::addColumn<int>("answer");        // the shell's answer to the explore

        const int opened = 42;
        QTest::newRow("package node") << "packages" << "Packages/GameKit" << "GameKit" << "" << opened;
        QTest::newRow("class of the package tree") << "packages" << "Packages/GameKit/KitInfo" << "GameKit" << "" << opened;
        QTest::newRow(".int file node") << "packages" << "Packages/GameKit/GameKit.int" << "GameKit" << "" << opened;
        QTest::newRow("class of the class tree: its package, not its name")
            << "classes" << "Classes/Object/KitActor/KitInfo" << "GameKit" << "" << opened;
        QTest::newRow("explore failed: the package's directory named")
            << "classes" << "Classes/Object/KitActor" << "GameKit" << "GameKit" << int(LaunchCode::PathNotFound);
        QTest::newRow("class bound to no package") << "classes" << "Classes/Stray" << "" << "? ? ?" << opened;
        QTest::newRow("package name leading out of the game") << "packages" << "Packages/.." << "" << ".." << opened;
        QTest::newRow("class under such a package") << "packages" << "Packages/../Sneaky" << "" << ".." << opened;
        QTest::newRow("package tree root") << "packages" << "Packages" << "" << "" << opened;
        QTest::newRow("no node") << "classes" << "" << "" << "" << opened;
    }

    void ExplorePackage()
    {
        QFETCH(QString, tree);
        QFETCH(QString, path);
        QFETCH(QString, explored);
        QFETCH(QString, refused);
        QFETCH(int, answer);

        Fixture f;
        f.shell.answers = {answer};
        Tree &classes = f.h.model.Browser();
        Tree &packages = f.h.model.PackagesBrowser();
        classes.Add(classes.First(), QStringLiteral("Stray"));
        TreeNode *unsafe = packages.Add(packages.First(), QStringLiteral(".."));
        packages.Add(unsafe, QStringLiteral("Sneaky"));

        TreeNode *node = nullptr;
        if (!path.isEmpty()) {
            node = NodeAtPath(tree == QLatin1String("packages") ? packages : classes, path);
            QVERIFY2(node, qPrintable(path));
        }
        f.launchers->ExplorePopupItemClick(node);
        Settle();

        QStringList requests;
        for (const test::RecordingShell::Call &c : f.shell.calls)
            requests.append(Describe(c.request));
        const QString dir = f.Base() + QLatin1Char('\\') + explored;
        QCOMPARE(requests, explored.isEmpty() ? QStringList() : QStringList{"Explore|" + dir + "||" + dir});

        QCOMPARE(f.errors.shown.size(), refused.isEmpty() ? 0 : 1);
        if (!refused.isEmpty()) {
            QCOMPARE(f.errors.shown.first().first, LaunchCode::PathNotFound);
            QCOMPARE(f.errors.shown.first().second,
                     SpecPath::Display(f.Base() + QLatin1Char('\\') + refused));
        }
    }

    void ServerThatCannotStart()
    {
        Fixture f;   // the scratch game has no UCC.exe
        qsizetype boxesBefore = -1;
        f.errors.onShow = [&] { boxesBefore = f.h.prompter.shown.size(); };
        Run(*f.launchers, QStringLiteral("server"));
        QCOMPARE(f.launchers->ServerCount(), 1);
        TDedicatedServerThread *server = f.launchers->Servers().front();
        QCOMPARE(server->ProgramPath, f.System() + QLatin1String("\\ucc.exe"));
        QCOMPARE(server->Parameters, QStringLiteral("server ctf-face"));
        QCOMPARE(server->WorkingDirectory, f.System());
        Settle();

        // The error box first, then the message that the run is over.
        QCOMPARE(f.errors.shown.size(), 1);
        QCOMPARE(f.errors.shown.first().first, LaunchCode::FileNotFound);
        QCOMPARE(f.errors.shown.first().second, SpecPath::Display(f.System() + QLatin1String("\\ucc.exe")));
        QCOMPARE(boxesBefore, 0);
        QCOMPARE(f.h.prompter.Texts(), QStringList{"Unable to run UCC.exe\r\nCompilation halted."});

        // The next start reaps the finished thread.
        Run(*f.launchers, QStringLiteral("server"));
        QCOMPARE(f.launchers->ServerCount(), 1);
        Settle();
        QCOMPARE(f.errors.shown.size(), 2);
    }

    void ServerKeepsRunningWhenTheWatchStops()
    {
        ServerGame game;
        game.InstallStandin();
        QObject context;
        QList<Failure> failures;
        auto thread = StartThread(game.Ucc(), game.System(), &context, failures);
        QTRY_COMPARE_WITH_TIMEOUT(game.scratch.Starts().size(), 1, LaunchLimitMs);

        const StandinScratch::Start start = game.scratch.Starts().first();
        QCOMPARE(start.arguments, (QStringList{"server", "ctf-face"}));
        QCOMPARE(QDir(start.workingDirectory).canonicalPath(),
                 QDir(game.scratch.Path(QStringLiteral("game/System"))).canonicalPath());
        const qint64 pid = start.pid;
        // Ends the server, also when a check fails half-way.
        auto ender = qScopeGuard([pid] { ::kill(pid_t(pid), SIGTERM); });
        QTRY_COMPARE_WITH_TIMEOUT(thread->ServerPid(), pid, LaunchLimitMs);
        QVERIFY(thread->isRunning());   // still watching
        // A session of its own: the server outlives this program and its terminal.
        QCOMPARE(qint64(::getsid(pid_t(pid))), pid);
        if (::geteuid() == 0) {
            // Only a privileged user may raise a priority; others are refused quietly.
            const int wanted = Process::NiceValue(TDedicatedServerThread::HighPriorityClass);
            QTRY_COMPARE_WITH_TIMEOUT(::getpriority(PRIO_PROCESS, id_t(pid)), wanted, LaunchLimitMs);
        }

        thread->Stop();
        QVERIFY(thread->wait(QDeadlineTimer(LaunchLimitMs)));
        QVERIFY(!Ended(pid));
        thread.reset();
        QVERIFY(!Ended(pid));   // releasing the thread ends nothing either

        ender.dismiss();
        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(Ended(pid), LaunchLimitMs);
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
        QVERIFY(thread->wait(QDeadlineTimer(LaunchLimitMs)));
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

KELVARIN_TEST_GUILESS_MAIN(TestLaunchers)
#include "tst_launchers.moc"
