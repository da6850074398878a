#include "tools/CompileRunner.h"

#include "persist/Options.h"
#include "platform/EventPump.h"
#include "tools/ErrorReporter.h"

#include "support/GameDir.h"
#include "support/Raised.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <functional>

using namespace kelvarin;

namespace {

const QString kIni = QStringLiteral("System/UnrealTournament.ini");
const QByteArray kIniBytes("[Engine.Engine]\r\nGameEngine=x\r\n[Editor.EditorEngine]\r\nEditPackages=Core\r\n"
                           "EditPackages=Engine\r\nCacheSizeMegs=4\r\n[URL]\r\nMap=Index.unr\r\n");
const QByteArray kGoodLog("Log: Log file open, 01/02/03 04:05:06\r\nHeading: ----MyMod----\r\n"
                          "Log: Success - 0 error(s), 0 warnings\r\n");
const QByteArray kBadLog("Log: Log file open, 01/02/03 04:05:06\r\nHeading: ----MyMod----\r\n"
                         "Error: ..\\MyMod\\Classes\\A.uc(3) : Error, bad\r\nLog: Compile aborted due to errors.\r\n");

struct RecordingErrors : ErrorReporter
{
    void ShowError(int code, const QString &target) override { shown.append({code, target}); }
    QList<QPair<int, QString>> shown;
};

// A pump that runs a scripted step on a given call.
struct ScriptedPump : EventPump
{
    void Pump() override
    {
        ++calls;
        if (onPump)
            onPump(calls);
    }
    bool Terminating() const override { return terminating; }
    void SetTerminating() override { terminating = true; }
    int calls = 0;
    bool terminating = false;
    std::function<void(int)> onPump;
};

// What the fake UCC does: ends after a number of waits (never when
// hanging), running onEnd; Terminate runs onTerminate and ends it.
struct FakeScript
{
    int waitsToEnd = 2;
    bool hang = false;
    std::function<void()> onStart;
    std::function<void()> onEnd;
    std::function<void()> onTerminate;
    QList<int> priorities;
    QList<int> terminations;
    QList<ProcessStart> starts;
    int waits = 0;
};

class FakeProcess : public CompileProcess
{
public:
    explicit FakeProcess(FakeScript &script) : m_script(script) {}
    qint64 Pid() const override { return 4242; }
    bool Wait(int) override
    {
        ++m_script.waits;
        if (!m_ended && !m_script.hang && m_script.waits >= m_script.waitsToEnd) {
            if (m_script.onEnd)
                m_script.onEnd();
            m_ended = true;
        }
        return m_ended;
    }
    bool SetPriorityClass(int priorityClass) override
    {
        m_script.priorities.append(priorityClass);
        return !m_ended;
    }
    bool Terminate(int exitCode) override
    {
        m_script.terminations.append(exitCode);
        if (m_ended)
            return false;
        if (m_script.onTerminate)
            m_script.onTerminate();
        m_ended = true;
        return true;
    }

private:
    FakeScript &m_script;
    bool m_ended = false;
};

struct Harness
{
    test::GameDir game;
    TOptions options;
    ScriptedPump pump;
    test::ScriptedPrompter prompter;
    RecordingErrors errors;
    FakeScript script;
    CompileRunner runner{options, pump, prompter, errors};
    int beeps = 0;
    int marks = 0;
    int testRuns = 0;
    int logShows = 0;
    QList<bool> busyChanges;

    struct LogView : CompileLogView
    {
        Harness *h;
        void ShowCompileLog() override { ++h->logShows; }
        void CloseCompileLog() override {}
    } logView;

    Harness()
    {
        logView.h = this;
        options.BaseDir = game.Base();
        game.WriteBytes(kIni, kIniBytes);
        game.WriteBytes(QStringLiteral("System/UCC.Exe"), "not a real program");
        runner.SetBeep([this] { ++beeps; });
        runner.SetMarkLastCompiled([this] { ++marks; });
        runner.SetTestRun([this] { ++testRuns; });
        runner.SetLogView(&logView);
        runner.SetBusyChanged([this](bool busy) { busyChanges.append(busy); });
        runner.SetStarter([this](const ProcessStart &start, int *) -> std::unique_ptr<CompileProcess> {
            script.starts.append(start);
            if (script.onStart)
                script.onStart();
            return std::make_unique<FakeProcess>(script);
        });
    }

    // The fake make: writes the package and the log it is given.
    void Makes(const QByteArray &package, const QByteArray &log)
    {
        script.onEnd = [this, package, log] {
            if (!package.isNull())
                game.WriteBytes(QStringLiteral("System/MyMod.u"), package);
            if (!log.isNull())
                game.WriteBytes(QStringLiteral("System/KelvarinCompiler.log"), log);
        };
    }

    QStringList SystemEntries() const
    {
        QStringList entries = QDir(game.Native(QStringLiteral("System"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        entries.sort();
        return entries;
    }
};

} // namespace

class TestCompileRunner : public QObject
{
    Q_OBJECT

private slots:
    void gamePackages_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("game");
        for (const char *name : {"Core", "Engine", "Botpack", "Editor", "Fire", "IpDrv", "IpServer", "UBrowser", "UMenu",
                                 "UnrealI", "UnrealShare", "UTBrowser", "UTMenu", "UTServerAdmin", "UWeb", "UWindow"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("any letter case") << QStringLiteral("bOTPACK") << true;
        QTest::newRow("a mod") << QStringLiteral("MyMod") << false;
        QTest::newRow("prefix of a game package") << QStringLiteral("Bot") << false;
        QTest::newRow("game package with more") << QStringLiteral("BotpackX") << false;
    }

    void gamePackages()
    {
        QFETCH(QString, package);
        QFETCH(bool, game);
        QCOMPARE(CompileRunner::IsGamePackage(package), game);
        Harness h;
        h.prompter.answers = {MessageAnswer::No};
        QCOMPARE(h.runner.Run(h.game.Base(), package), game ? 2 : 1);
        QCOMPARE(h.script.starts.size(), game ? 0 : 1);
        if (game) {
            QCOMPARE(h.prompter.shown.size(), 1);
            QCOMPARE(h.prompter.shown.first().text, QLatin1String(CompileRunner::EpicMessage));
            QCOMPARE(h.prompter.shown.first().icon, MessageIcon::Question);
            QCOMPARE(h.prompter.shown.first().buttons, MessageButtons::YesNo);
        }
    }

    void packageNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "MyMod" << true;
        QTest::newRow("underscore and digits") << "_my_Mod2" << true;
        QTest::newRow("question marks") << "? ? ?" << false;
        QTest::newRow("leading digit") << "2Mod" << false;
        QTest::newRow("path") << "..\\Evil" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("blank") << "My Mod" << false;
        QTest::newRow("dot") << "MyMod.u" << false;
        QTest::newRow("non-ASCII letter") << QString::fromLatin1("Mod\xe9") << false;
        QTest::newRow("line break") << "Mod\r\nEditPackages=X" << false;
    }

    // A name that is no identifier is refused before anything is written.
    void packageNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(CompileRunner::IsPackageName(name), valid);
        if (valid)
            return;
        Harness h;
        h.options.LastCompiledPackage = QStringLiteral("Before");
        const CompileOutcome outcome = h.runner.CompilePackage(name);
        QVERIFY(outcome.refused);
        QCOMPARE(h.prompter.Texts(), QStringList{name + QLatin1String(" is not a package name.")});
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QCOMPARE(h.SystemEntries(), (QStringList{"UCC.Exe", "UnrealTournament.ini"}));
        QCOMPARE(h.options.LastCompiledPackage, QStringLiteral("Before"));
        QVERIFY(h.script.starts.isEmpty());
        QCOMPARE(h.marks, 0);
    }

    void noPackageKnown()
    {
        Harness h;
        const CompileOutcome outcome = h.runner.CompilePackage(QString());
        QVERIFY(outcome.refused);
        QCOMPARE(h.prompter.Texts(), QStringList{QLatin1String(CompileRunner::NoPackageMessage)});
        QCOMPARE(h.prompter.shown.first().icon, MessageIcon::Error);
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QVERIFY(h.options.LastCompiledPackage.isEmpty());
        QCOMPARE(h.marks, 0);
    }

    // The road of a compile: EditPackages holds the package and the old .u
    // is aside while make runs; afterwards the list and the files are as
    // the verdict says.
    void compile_data()
    {
        QTest::addColumn<QByteArray>("oldPackage");
        QTest::addColumn<QByteArray>("newPackage");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<bool>("errors");
        QTest::addColumn<QByteArray>("packageAfter");
        QTest::newRow("success over an old package") << QByteArray("old") << QByteArray("new") << kGoodLog << false << QByteArray("new");
        QTest::newRow("first compile") << QByteArray() << QByteArray("new") << kGoodLog << false << QByteArray("new");
        QTest::newRow("errors keep the old package") << QByteArray("old") << QByteArray() << kBadLog << true << QByteArray("old");
        QTest::newRow("no new package despite a clean log") << QByteArray("old") << QByteArray() << kGoodLog << true << QByteArray("old");
        QTest::newRow("no log is an error") << QByteArray("old") << QByteArray("new") << QByteArray() << true << QByteArray("new");
        QTest::newRow("empty log is an error") << QByteArray("old") << QByteArray("new") << QByteArray("") << true << QByteArray("new");
    }

    void compile()
    {
        QFETCH(QByteArray, oldPackage);
        QFETCH(QByteArray, newPackage);
        QFETCH(QByteArray, log);
        QFETCH(bool, errors);
        QFETCH(QByteArray, packageAfter);
        Harness h;
        h.options.bTestrunAfterCompile = true;
        h.options.UCCPriority = 64;
        if (!oldPackage.isNull())
            h.game.WriteBytes(QStringLiteral("System/MyMod.u"), oldPackage);
        // A log of an earlier compile must not decide this one.
        h.game.WriteBytes(QStringLiteral("System/KelvarinCompiler.log"), kGoodLog);
        h.Makes(newPackage.isEmpty() ? QByteArray() : newPackage, log);
        h.script.onStart = [&] {
            QVERIFY(h.game.Read(kIni).contains("EditPackages=Engine\r\nEditPackages=MyMod\r\n"));
            QVERIFY(!h.game.Exists(QStringLiteral("System/MyMod.u")));
            QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.ubak")), oldPackage);
            QVERIFY(!h.game.Exists(QStringLiteral("System/KelvarinCompiler.log")));
            QCOMPARE(h.busyChanges, QList<bool>{true});
        };
        const CompileOutcome outcome = h.runner.CompilePackage(QStringLiteral("MyMod"));

        QCOMPARE(outcome.runState, 1);
        QCOMPARE(outcome.errorsFound, errors);
        QCOMPARE(outcome.Succeeded(), !errors);
        QCOMPARE(h.testRuns, errors ? 0 : 1);
        QCOMPARE(h.logShows, 1);
        QCOMPARE(h.beeps, 1);
        QCOMPARE(h.marks, 1);
        QCOMPARE(h.options.LastCompiledPackage, QStringLiteral("MyMod"));
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.u")), packageAfter);
        QVERIFY(!h.game.Exists(QStringLiteral("System/MyMod.ubak")));
        QCOMPARE(h.busyChanges, (QList<bool>{true, false}));
        QVERIFY(h.prompter.shown.isEmpty());

        QCOMPARE(h.script.starts.size(), 1);
        const ProcessStart &start = h.script.starts.first();
        QCOMPARE(start.program, QFileInfo(h.game.Native(QStringLiteral("System/UCC.Exe"))).absoluteFilePath());
        QCOMPARE(start.arguments, (QStringList{"make", "-log=KelvarinCompiler.log"}));
        QCOMPARE(start.workingDirectory, h.game.Native(QStringLiteral("System")));
        QVERIFY(!h.script.priorities.isEmpty());
        QVERIFY(std::all_of(h.script.priorities.cbegin(), h.script.priorities.cend(), [](int p) { return p == 64; }));
    }

    // A package already listed (twice, even) stays, and the file is not
    // rewritten.
    void listedPackageStays()
    {
        Harness h;
        const QByteArray ini("[Editor.EditorEngine]\r\nEditPackages=MyMod\r\n  EditPackages=mymod  \r\n");
        h.game.WriteBytes(kIni, ini);
        h.Makes("new", kGoodLog);
        QVERIFY(h.runner.CompilePackage(QStringLiteral("MYMOD")).runState == 1);
        QCOMPARE(h.game.Read(kIni), ini);
        QVERIFY(!h.game.Exists(kIni + QLatin1String("_Backup")));
    }

    // Without the section nothing is written; make still runs.
    void iniWithoutSection()
    {
        Harness h;
        const QByteArray ini("[Engine.Engine]\r\nEditPackages=Core\r\n");
        h.game.WriteBytes(kIni, ini);
        const CompileOutcome outcome = h.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(outcome.runState, 1);
        QVERIFY(outcome.errorsFound);
        QCOMPARE(h.game.Read(kIni), ini);
        QVERIFY(!h.game.Exists(kIni + QLatin1String("_Backup")));
        QCOMPARE(h.prompter.Texts(), QStringList{"Unable to locate [Editor.EditorEngine] section."});
    }

    void staleBackupComesBackFirst()
    {
        Harness h;
        h.game.WriteBytes(QStringLiteral("System/MyMod.ubak"), "only copy");
        h.script.onStart = [&] { QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.ubak")), QByteArray("only copy")); };
        h.Makes(QByteArray(), kBadLog);
        h.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.u")), QByteArray("only copy"));
        QVERIFY(!h.game.Exists(QStringLiteral("System/MyMod.ubak")));
    }

    // Faults that stop even root: a directory where the backup goes, and a
    // backup name longer than the file system allows.
    void unableToMoveAside_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("directoryInTheWay");
        QTest::newRow("non-empty directory named like the backup") << QStringLiteral("MyMod") << true;
        QTest::newRow("backup name too long") << QString(252, QLatin1Char('M')) << false;
    }

    void unableToMoveAside()
    {
        QFETCH(QString, package);
        QFETCH(bool, directoryInTheWay);
        Harness h;
        const QString u = QStringLiteral("System/") + package + QLatin1String(".u");
        h.game.WriteBytes(u, "old");
        if (directoryInTheWay)
            h.game.WriteBytes(QStringLiteral("System/") + package + QLatin1String(".ubak/keep.txt"), "keep");
        const CompileOutcome outcome = h.runner.CompilePackage(package);
        QCOMPARE(outcome.runState, 2);
        QVERIFY(h.script.starts.isEmpty());
        QCOMPARE(h.prompter.Texts(),
                 QStringList{QStringLiteral("Unable to move %1 aside.").arg(QDir::toNativeSeparators(h.game.Native(u)))});
        QCOMPARE(h.game.Read(u), QByteArray("old"));
        if (directoryInTheWay)
            QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.ubak/keep.txt")), QByteArray("keep"));
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QCOMPARE(h.options.LastCompiledPackage, package);
    }

    // Cancel (the button, the program ending, a signal) ends UCC, waits for
    // it and never keeps what it wrote.
    void cancel_data()
    {
        QTest::addColumn<int>("how");   // 0 Cancel, 1 terminating, 2 RequestCancel
        QTest::addColumn<QByteArray>("oldPackage");
        QTest::newRow("cancel, old package back") << 0 << QByteArray("old");
        QTest::newRow("cancel, first compile leaves none") << 0 << QByteArray();
        QTest::newRow("program ends") << 1 << QByteArray("old");
        QTest::newRow("signal") << 2 << QByteArray("old");
        QTest::newRow("signal, first compile") << 2 << QByteArray();
    }

    void cancel()
    {
        QFETCH(int, how);
        QFETCH(QByteArray, oldPackage);
        Harness h;
        h.options.bTestrunAfterCompile = true;
        if (!oldPackage.isNull())
            h.game.WriteBytes(QStringLiteral("System/MyMod.u"), oldPackage);
        h.script.hang = true;
        h.script.onTerminate = [&] { h.game.WriteBytes(QStringLiteral("System/MyMod.u"), "partial"); };
        h.pump.onPump = [&](int call) {
            if (call != 3)
                return;
            QCOMPARE(h.runner.RunState(), 0);
            QCOMPARE(h.runner.RunningPid(), qint64(4242));
            // A second compile while one runs is refused.
            QVERIFY(h.runner.CompilePackage(QStringLiteral("Other")).refused);
            if (how == 0)
                h.runner.Cancel();
            else if (how == 1)
                h.pump.SetTerminating();
            else
                CompileRunner::RequestCancel();
        };
        const CompileOutcome outcome = h.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(outcome.runState, 2);
        QCOMPARE(h.script.terminations, QList<int>{255});
        QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.u")), oldPackage);
        QCOMPARE(h.game.Exists(QStringLiteral("System/MyMod.u")), !oldPackage.isNull());
        QVERIFY(!h.game.Exists(QStringLiteral("System/MyMod.ubak")));
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QCOMPARE(h.testRuns, 0);
        QCOMPARE(h.logShows, 0);
        QCOMPARE(h.beeps, 1);
        QCOMPARE(h.options.LastCompiledPackage, QStringLiteral("MyMod"));
        QVERIFY(!h.runner.Busy());
        // The next compile is not cancelled by a left-over request.
        h.script = FakeScript();
        h.pump.onPump = nullptr;
        h.pump.terminating = false;
        h.Makes("new", kGoodLog);
        QCOMPARE(h.runner.CompilePackage(QStringLiteral("MyMod")).runState, 1);
    }

    void unableToRestore()
    {
        Harness h;
        h.game.WriteBytes(QStringLiteral("System/MyMod.u"), "old");
        h.script.hang = true;
        // What the killed make leaves cannot be removed (a directory).
        h.script.onTerminate = [&] { h.game.WriteBytes(QStringLiteral("System/MyMod.u/x"), "junk"); };
        h.pump.onPump = [&](int call) {
            if (call == 2)
                h.runner.Cancel();
        };
        h.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(h.prompter.Texts(),
                 QStringList{QStringLiteral("Unable to restore %1.")
                                 .arg(QDir::toNativeSeparators(h.game.Native(QStringLiteral("System/MyMod.u"))))});
        // The old package is still there, under its backup name.
        QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.ubak")), QByteArray("old"));
    }

    void priorityFollowsTheOption()
    {
        Harness h;
        h.script.waitsToEnd = 5;
        h.Makes("new", kGoodLog);
        h.pump.onPump = [&](int call) {
            if (call == 2)
                h.options.UCCPriority = 64;
        };
        h.runner.CompilePackage(QStringLiteral("MyMod"));
        // Re-applied on every pass; the change reaches the next pass.
        QCOMPARE(h.script.priorities, (QList<int>{32, 32, 64, 64, 64}));
    }

    void otherToolBusy()
    {
        Harness h;
        h.runner.SetOtherBusy([] { return true; });
        QVERIFY(h.runner.CompilePackage(QStringLiteral("MyMod")).refused);
        QVERIFY(h.script.starts.isEmpty());
        QCOMPARE(h.game.Read(kIni), kIniBytes);
    }

    // UCC that cannot start: the launch error, then the message; the old
    // package back in place. These use the real process start.
    void notStarted_data()
    {
        QTest::addColumn<QByteArray>("program");   // null: missing
        QTest::addColumn<bool>("executable");
        QTest::addColumn<int>("code");
        QTest::newRow("missing") << QByteArray() << false << 2;
        QTest::newRow("no execute bit") << QByteArray("#!/bin/true\n") << false << 5;
        QTest::newRow("junk with execute bit") << QByteArray("\x01\x02junk junk junk", 14) << true << 11;
    }

    void notStarted()
    {
        QFETCH(QByteArray, program);
        QFETCH(bool, executable);
        QFETCH(int, code);
        test::GameDir game;
        TOptions options;
        options.BaseDir = game.Base();
        test::ScriptedPrompter prompter;
        RecordingErrors errors;
        NullEventPump pump;
        CompileRunner runner(options, pump, prompter, errors);
        game.WriteBytes(kIni, kIniBytes);
        game.WriteBytes(QStringLiteral("System/MyMod.u"), "old");
        const QString ucc = game.Native(QStringLiteral("System/UCC.Exe"));
        if (!program.isNull()) {
            game.WriteBytes(QStringLiteral("System/UCC.Exe"), program);
            QFile::setPermissions(ucc, executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  : QFile::ReadOwner | QFile::WriteOwner);
        }
        const CompileOutcome outcome = runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(outcome.runState, 2);
        QCOMPARE(errors.shown.size(), 1);
        QCOMPARE(errors.shown.first().first, code);
        QCOMPARE(errors.shown.first().second, QDir::toNativeSeparators(ucc));
        QCOMPARE(prompter.Texts(), QStringList{QLatin1String(CompileRunner::UnableToRunMessage)});
        QCOMPARE(game.Read(QStringLiteral("System/MyMod.u")), QByteArray("old"));
        QVERIFY(!game.Exists(QStringLiteral("System/MyMod.ubak")));
        QCOMPARE(game.Read(kIni), kIniBytes);
    }

    // A native Linux build gets the configuration and the log as absolute
    // paths, since it reads its own otherwise.
    void nativeBuildArguments()
    {
        Harness h;
        const QString bin = h.game.Native(QStringLiteral("System/ucc-bin"));
        QFile::copy(QStringLiteral(KELVARIN_UCC_STANDIN), bin);
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        h.Makes("new", kGoodLog);
        h.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(h.script.starts.size(), 1);
        const ProcessStart &start = h.script.starts.first();
        QCOMPARE(start.program, QFileInfo(bin).absoluteFilePath());
        const QString sys = QFileInfo(h.game.Native(QStringLiteral("System"))).absoluteFilePath();
        QCOMPARE(start.arguments, (QStringList{"make", "ini=" + sys + "/UnrealTournament.ini",
                                               "-log=" + sys + "/KelvarinCompiler.log"}));
    }

    // Writing EditPackages back fails: the package still becomes the last
    // compiled one, and the error is raised for the command to show.
    void restoreOfListFails()
    {
        Harness h;
        h.Makes("new", kGoodLog);
        h.script.onEnd = [&] {
            QFile::remove(h.game.Native(kIni));
            h.game.MakeDir(kIni);
        };
        QVERIFY(!test::Raised([&] { h.runner.CompilePackage(QStringLiteral("MyMod")); }).isEmpty());
        QCOMPARE(h.options.LastCompiledPackage, QStringLiteral("MyMod"));
        QCOMPARE(h.marks, 1);
        QVERIFY(!h.runner.Busy());
    }
};

QTEST_GUILESS_MAIN(TestCompileRunner)
#include "tst_compilerunner.moc"
