// The compile: the runner, the log UCC leaves and how it is read, and the
// gate that keeps the compile and the export from running UCC at once.

#include "tools/CompileRunner.h"

#include "model/Options.h"
#include "support/FakeProcess.h"
#include "support/GameDir.h"
#include "support/Raised.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"
#include "support/ScriptedPump.h"
#include "support/StandinScratch.h"
#include "tools/CompilerLog.h"
#include "tools/UccGate.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <functional>

using namespace kelvarin;

namespace {

const QString kIni = QStringLiteral("System/UnrealTournament.ini");
const QString kLog = QStringLiteral("System/KelvarinCompiler.log");
const QString kU = QStringLiteral("System/MyMod.u");
const QString kBak = QStringLiteral("System/MyMod.ubak");
const QByteArray kIniBytes("[Engine.Engine]\r\nGameEngine=x\r\n[Editor.EditorEngine]\r\nEditPackages=Core\r\n"
                           "EditPackages=Engine\r\nCacheSizeMegs=4\r\n[URL]\r\nMap=Index.unr\r\n");
const QByteArray kGoodLog("Log: Log file open, 01/02/03 04:05:06\r\nHeading: ----MyMod----\r\n"
                          "Log: Success - 0 error(s), 0 warnings\r\n");
const QByteArray kBadLog("Log: Log file open, 01/02/03 04:05:06\r\nHeading: ----MyMod----\r\n"
                         "Error: ..\\MyMod\\Classes\\A.uc(3) : Error, bad\r\nLog: Compile aborted due to errors.\r\n");

// What the fake UCC does: ends after a number of waits (never when
// hanging), running onEnd; Terminate runs onTerminate and ends it.
struct FakeScript
{
    int waitsToEnd = 2;
    bool hang = false;
    std::function<void()> onStart, onEnd, onTerminate;
    QList<ProcessStart> starts;
    std::shared_ptr<test::FakeProcess> process;   // the last one started
};

struct Harness
{
    test::GameDir game;
    TOptions options;
    test::ScriptedPump pump;
    test::ScriptedPrompter prompter;
    test::RecordingErrors errors;
    FakeScript script;
    CompileRunner runner{options, pump, prompter, errors};
    int beeps = 0, marks = 0, testRuns = 0, logShows = 0, logCloses = 0;
    QString logNote;
    QList<bool> busyChanges;

    struct LogView : CompileLogView
    {
        Harness *h;
        void ShowCompileLog() override { ++h->logShows; }
        void CloseCompileLog() override { ++h->logCloses; }
        void SetCompileNote(const QString &note) override { h->logNote = note; }
    } logView;

    // fake: UCC is the scripted FakeProcess; otherwise the real start.
    explicit Harness(bool fake = true)
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
        if (fake)
            runner.SetStarter([this](const ProcessStart &start, int *) -> std::shared_ptr<RunningProcess> {
                script.starts.append(start);
                if (script.onStart)
                    script.onStart();
                script.process = std::make_shared<test::FakeProcess>();
                script.process->endAfterWaits = script.hang ? 0 : script.waitsToEnd;
                script.process->onEnd = script.onEnd;
                script.process->terminateEnds = true;
                script.process->onTerminate = script.onTerminate;
                return script.process;
            });
    }

    // The fake make: writes the package (to System/MyMod.u unless told
    // otherwise) and the log it is given.
    void Makes(const QByteArray &package, const QByteArray &log, const QString &packageFile = kU)
    {
        script.onEnd = [this, package, log, packageFile] {
            if (!package.isNull())
                game.WriteBytes(packageFile, package);
            if (!log.isNull())
                game.WriteBytes(kLog, log);
        };
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
        QCOMPARE(h.prompter.Texts(), game ? QStringList{QLatin1String(CompileRunner::EpicMessage)} : QStringList());
    }

    void packageNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "MyMod" << true;
        QTest::newRow("underscore and digits") << "_my_Mod2" << true;
        QTest::newRow("leading digit") << "2Mod" << false;
        QTest::newRow("path") << "..\\Evil" << false;
        QTest::newRow("blank") << "My Mod" << false;
        QTest::newRow("non-ASCII letter") << QString::fromLatin1("Mod\xe9") << false;
        QTest::newRow("line break") << "Mod\r\nEditPackages=X" << false;
        QTest::newRow("no package known") << "" << false;
    }

    // A name that is no identifier is refused before anything is written;
    // so is any compile while another tool is busy.
    void packageNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(CompileRunner::IsPackageName(name), valid);
        Harness h;
        const QString before = name.isEmpty() ? QString() : QStringLiteral("Before");
        h.options.LastCompiledPackage = before;
        if (valid)
            h.runner.SetOtherBusy([] { return true; });
        const CompileOutcome outcome = h.runner.CompilePackage(name);
        QVERIFY(outcome.refused);
        const QString message = name.isEmpty() ? QString::fromLatin1(CompileRunner::NoPackageMessage)
                                               : QString(name + QLatin1String(" is not a package name."));
        QCOMPARE(h.prompter.Texts(), valid ? QStringList() : QStringList{message});
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QCOMPARE(QDir(h.game.Native(QStringLiteral("System"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"UCC.Exe", "UnrealTournament.ini"}));
        QCOMPARE(h.options.LastCompiledPackage, before);
        QVERIFY(h.script.starts.isEmpty());
        QCOMPARE(h.marks, 0);
    }

    // The road of a compile: EditPackages holds the package and the old .u
    // is aside while make runs; afterwards the list and the files are as
    // the verdict says. A test run follows a clean compile; the log window
    // closes first only when it has no warnings to read. The priority is
    // applied on every pass: a change during the run reaches the next one.
    void compile_data()
    {
        QTest::addColumn<QByteArray>("oldPackage");
        QTest::addColumn<QByteArray>("newPackage");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<bool>("errors");
        QTest::addColumn<QByteArray>("packageAfter");
        QTest::addColumn<QString>("madeAs");    // where make writes the package
        QTest::addColumn<QString>("verdict");   // the parsed log's last line
        const QString success = QLatin1String(CompilerLog::SuccessLine);
        QTest::newRow("success over an old package") << QByteArray("old") << QByteArray("new") << kGoodLog << false << QByteArray("new") << kU << success;
        QTest::newRow("first compile") << QByteArray() << QByteArray("new") << kGoodLog << false << QByteArray("new") << kU << success;
        QTest::newRow("warnings") << QByteArray("old") << QByteArray("new")
            << QByteArray("Log: Log file open, t\r\nHeading: ----MyMod----\r\nExecWarning: ..\\MyMod\\Classes\\A.uc(2) : Warning, case\r\n")
            << false << QByteArray("new") << kU << success;
        QTest::newRow("errors keep the old package") << QByteArray("old") << QByteArray() << kBadLog << true << QByteArray("old") << kU
                                                     << QString::fromLatin1(CompilerLog::ErrorsLine);
        QTest::newRow("no new package despite a clean log") << QByteArray("old") << QByteArray() << kGoodLog << true << QByteArray("old") << kU
                                                            << "UCC ended without writing MyMod.u; the previous MyMod.u was kept.";
        QTest::newRow("first compile writes nothing") << QByteArray() << QByteArray() << kGoodLog << true << QByteArray() << kU
                                                      << "UCC ended without writing MyMod.u.";
        QTest::newRow("no log is an error") << QByteArray("old") << QByteArray("new") << QByteArray() << true << QByteArray("new") << kU << "";
        // EditPackages spells the package in another letter case than the old file.
        QTest::newRow("new package in another letter case") << QByteArray("old") << QByteArray("new") << kGoodLog << false << QByteArray("new")
                                                            << "System/mymod.u" << success;
    }

    void compile()
    {
        QFETCH(QByteArray, oldPackage);
        QFETCH(QByteArray, newPackage);
        QFETCH(QByteArray, log);
        QFETCH(bool, errors);
        QFETCH(QByteArray, packageAfter);
        QFETCH(QString, madeAs);
        QFETCH(QString, verdict);
        Harness h;
        h.options.bTestrunAfterCompile = true;
        h.pump.actionAt = 1;
        h.pump.action = [&] { h.options.UCCPriority = 64; };
        if (!oldPackage.isNull())
            h.game.WriteBytes(kU, oldPackage);
        // A log of an earlier compile must not decide this one.
        h.game.WriteBytes(kLog, kGoodLog);
        h.Makes(newPackage.isEmpty() ? QByteArray() : newPackage, log, madeAs);
        h.script.onStart = [&] {
            QVERIFY(h.game.Read(kIni).contains("EditPackages=Engine\r\nEditPackages=MyMod\r\n"));
            QVERIFY(!h.game.Exists(kU));
            QCOMPARE(h.game.Read(kBak), oldPackage);
            QVERIFY(!h.game.Exists(kLog));
            QCOMPARE(h.busyChanges, QList<bool>{true});
        };
        const CompileOutcome outcome = h.runner.CompilePackage(QStringLiteral("MyMod"));

        QCOMPARE(outcome.runState, 1);
        QCOMPARE(outcome.errorsFound, errors);
        QCOMPARE(outcome.Succeeded(), !errors);
        QCOMPARE(h.testRuns, errors ? 0 : 1);
        QCOMPARE(h.logShows, 1);
        QCOMPARE(h.logCloses, !errors && !log.contains("Warning") ? 1 : 0);
        QCOMPARE(h.beeps, 1);
        QCOMPARE(h.marks, 1);
        QCOMPARE(h.options.LastCompiledPackage, QStringLiteral("MyMod"));
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        const QString after = packageAfter == newPackage ? madeAs : kU;
        QCOMPARE(h.game.Read(after), packageAfter);
        QCOMPARE(h.game.Exists(after), !packageAfter.isNull());
        QCOMPARE(QDir(h.game.Native(QStringLiteral("System"))).entryList({"*.u", "*.ubak"}, QDir::AllEntries),
                 packageAfter.isNull() ? QStringList() : QStringList{QFileInfo(after).fileName()});
        QCOMPARE(h.busyChanges, (QList<bool>{true, false}));
        QVERIFY(h.prompter.shown.isEmpty());
        // A compile that left no package never ends in the success line; the
        // log window is told why.
        QCOMPARE(outcome.parsedLog.value(outcome.parsedLog.size() - 1), verdict);
        QCOMPARE(outcome.note, verdict.startsWith(QLatin1String("UCC")) ? verdict : QString());
        QCOMPARE(h.logNote, outcome.note);
        // Read again later (the log window, kelvarin-cli --print log), the
        // log says what the compile said; the next compile's log says no more.
        CompilerLog later;
        if (!outcome.parsedLog.isEmpty()) {
            QCOMPARE(later.LoadLog(h.options.BaseDir, true).lines.last(), outcome.parsedLog.last());
            QCOMPARE(later.ErrorsFound(), outcome.errorsFound);
        }

        QCOMPARE(h.script.starts.size(), 1);
        const ProcessStart &start = h.script.starts.first();
        QCOMPARE(start.program, QFileInfo(h.game.Native(QStringLiteral("System/UCC.Exe"))).absoluteFilePath());
        QCOMPARE(start.arguments, (QStringList{"make", "-log=KelvarinCompiler.log"}));
        QCOMPARE(start.workingDirectory, h.game.Native(QStringLiteral("System")));
        QCOMPARE(h.script.process->priorities, (QList<int>{32, 64}));

        if (!outcome.note.isEmpty()) {
            h.script.onStart = nullptr;
            h.Makes("again", kGoodLog);
            QVERIFY(h.runner.CompilePackage(QStringLiteral("MyMod")).Succeeded());
            QCOMPARE(later.LoadLog(h.options.BaseDir, true).lines.last(), QLatin1String(CompilerLog::SuccessLine));
            QVERIFY(!later.ErrorsFound());
        }
    }

    // The configuration is left untouched, no backup of it made: the package
    // is listed already (twice, even), or the section is missing.
    void iniUntouched_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("listed") << QByteArray("[Editor.EditorEngine]\r\nEditPackages=MyMod\r\n  EditPackages=mymod  \r\n")
                                << QStringList();
        QTest::newRow("no section") << QByteArray("[Engine.Engine]\r\nEditPackages=Core\r\n")
                                    << QStringList{"Unable to locate [Editor.EditorEngine] section."};
    }

    void iniUntouched()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, messages);
        Harness h;
        h.game.WriteBytes(kIni, ini);
        // Without the section make has nothing to build.
        h.Makes(messages.isEmpty() ? QByteArray("new") : QByteArray(), kGoodLog);
        const CompileOutcome outcome = h.runner.CompilePackage(QStringLiteral("MYMOD"));
        QCOMPARE(outcome.runState, 1);
        if (!messages.isEmpty())
            QVERIFY(outcome.errorsFound);
        QCOMPARE(h.game.Read(kIni), ini);
        QVERIFY(!h.game.Exists(kIni + QLatin1String("_Backup")));
        QCOMPARE(h.prompter.Texts(), messages);
    }

    void staleBackupComesBackFirst()
    {
        Harness h;
        h.game.WriteBytes(kBak, "only copy");
        h.script.onStart = [&] { QCOMPARE(h.game.Read(kBak), QByteArray("only copy")); };
        h.Makes(QByteArray(), kBadLog);
        h.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(h.game.Read(kU), QByteArray("only copy"));
        QVERIFY(!h.game.Exists(kBak));
    }

    // Cancel (the button, the program ending, a signal) ends UCC, waits for
    // it and never keeps what it wrote. What cannot be removed (a directory)
    // is reported, the old package kept under its backup name.
    void cancel_data()
    {
        QTest::addColumn<int>("how");   // 0 Cancel, 1 terminating, 2 RequestCancel
        QTest::addColumn<QByteArray>("oldPackage");
        QTest::addColumn<QString>("left");   // what the killed make writes
        QTest::newRow("cancel, old package back") << 0 << QByteArray("old") << kU;
        QTest::newRow("program ends") << 1 << QByteArray("old") << kU;
        QTest::newRow("signal, first compile") << 2 << QByteArray() << kU;
        QTest::newRow("unable to restore") << 0 << QByteArray("old") << QStringLiteral("System/MyMod.u/x");
    }

    void cancel()
    {
        QFETCH(int, how);
        QFETCH(QByteArray, oldPackage);
        QFETCH(QString, left);
        const bool stuck = left != kU;
        Harness h;
        h.options.bTestrunAfterCompile = true;
        if (!oldPackage.isNull())
            h.game.WriteBytes(kU, oldPackage);
        h.script.hang = true;
        h.script.onTerminate = [&] { h.game.WriteBytes(left, "partial"); };
        h.pump.actionAt = 3;
        h.pump.action = [&] {
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
        QCOMPARE(h.script.process->terminateCodes, QList<int>{255});
        QCOMPARE(h.prompter.Texts(), stuck ? QStringList{"Unable to restore " + QDir::toNativeSeparators(h.game.Native(kU)) + "."}
                                           : QStringList());
        QCOMPARE(h.game.Read(stuck ? kBak : kU), oldPackage);
        QCOMPARE(h.game.Exists(kU), !oldPackage.isNull());
        QCOMPARE(h.game.Exists(kBak), stuck);
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QCOMPARE(h.testRuns, 0);
        QCOMPARE(h.logShows, 0);
        QCOMPARE(h.beeps, 1);
        QCOMPARE(h.options.LastCompiledPackage, QStringLiteral("MyMod"));
        QVERIFY(!h.runner.Busy());
        // The next compile is not cancelled by a left-over request.
        if (how == 1 || stuck)
            return;
        h.script = FakeScript();
        h.pump.action = nullptr;
        h.Makes("new", kGoodLog);
        QCOMPARE(h.runner.CompilePackage(QStringLiteral("MyMod")).runState, 1);
    }

    // Compiles that end before make runs, the old package in its place and
    // the list untouched. The package cannot be moved aside, by faults that
    // stop even root (a directory where the backup goes, a backup name
    // longer than the file system allows); or UCC cannot start: the launch
    // error, then the message. These use the real process start.
    void notStarted_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QByteArray>("program");   // UCC.Exe; null: missing
        QTest::addColumn<bool>("executable");
        QTest::addColumn<int>("code");   // the launch error; 0: not moved aside
        const QByteArray junk("\x01\x02junk junk junk", 14);
        QTest::newRow("non-empty directory named like the backup") << "MyMod" << junk << true << 0;
        QTest::newRow("backup name too long") << QString(252, QLatin1Char('M')) << junk << true << 0;
        QTest::newRow("missing") << "MyMod" << QByteArray() << false << 2;
        QTest::newRow("no execute bit") << "MyMod" << QByteArray("#!/bin/true\n") << false << 5;
        QTest::newRow("junk with execute bit") << "MyMod" << junk << true << 11;
    }

    void notStarted()
    {
        QFETCH(QString, package);
        QFETCH(QByteArray, program);
        QFETCH(bool, executable);
        QFETCH(int, code);
        Harness h(false);
        const QString u = QStringLiteral("System/") + package + QLatin1String(".u");
        h.game.WriteBytes(u, "old");
        const bool directoryInTheWay = code == 0 && package == QLatin1String("MyMod");
        if (directoryInTheWay)
            h.game.WriteBytes(QStringLiteral("System/MyMod.ubak/keep.txt"), "keep");
        const QString ucc = h.game.Native(QStringLiteral("System/UCC.Exe"));
        QFile::remove(ucc);
        if (!program.isNull()) {
            h.game.WriteBytes(QStringLiteral("System/UCC.Exe"), program);
            QFile::setPermissions(ucc, executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  : QFile::ReadOwner | QFile::WriteOwner);
        }
        QCOMPARE(h.runner.CompilePackage(package).runState, 2);
        // A package not moved aside never reaches UCC (a start of the junk would be an error box).
        using Shown = QList<QPair<int, QString>>;
        QCOMPARE(h.errors.shown, (code ? Shown{{code, QDir::toNativeSeparators(ucc)}} : Shown()));
        QCOMPARE(h.prompter.Texts(),
                 QStringList{code ? QString::fromLatin1(CompileRunner::UnableToRunMessage)
                                  : QStringLiteral("Unable to move %1 aside.").arg(QDir::toNativeSeparators(h.game.Native(u)))});
        QCOMPARE(h.game.Read(u), QByteArray("old"));
        if (directoryInTheWay)
            QCOMPARE(h.game.Read(QStringLiteral("System/MyMod.ubak/keep.txt")), QByteArray("keep"));
        else
            QVERIFY(!h.game.Exists(kBak));
        QCOMPARE(h.game.Read(kIni), kIniBytes);
        QCOMPARE(h.options.LastCompiledPackage, package);
    }

    // A native Linux build gets the configuration and the log as absolute
    // paths, since it reads its own otherwise. It may leave the package
    // beside itself or in the user's System directory: one written by this
    // run is moved into System, one left there by an earlier run is not this
    // compile's package.
    void nativeBuildPackage_data()
    {
        QTest::addColumn<QString>("place");   // below the scratch directory (HOME is home/)
        QTest::addColumn<bool>("fresh");
        for (const char *place : {"game/System64", "home/.utpg/System", "home/.loki/ut/System"}) {
            QTest::addRow("written now, %s", place) << QString::fromLatin1(place) << true;
            QTest::addRow("earlier run, %s", place) << QString::fromLatin1(place) << false;
        }
    }

    void nativeBuildPackage()
    {
        QFETCH(QString, place);
        QFETCH(bool, fresh);
        test::StandinScratch scratch;
        Harness h;
        const QString base = scratch.Path(QStringLiteral("game"));
        h.options.BaseDir = base;
        scratch.Write(QStringLiteral("game/System/UnrealTournament.ini"), kIniBytes);
        scratch.Write(QStringLiteral("game/System/MyMod.u"), "old");
        scratch.CopyProgram(QStringLiteral("game/System64/ucc-bin"), QStringLiteral(KELVARIN_UCC_STANDIN));
        const QString made = scratch.Path(place + QStringLiteral("/MyMod.u"));
        if (!fresh) {
            scratch.Write(place + QStringLiteral("/MyMod.u"), "stale");
            QFile stale(made);
            QVERIFY(stale.open(QIODevice::ReadWrite));
            QVERIFY(stale.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime));
        }
        h.script.onEnd = [&] {
            if (fresh)
                scratch.Write(place + QStringLiteral("/MyMod.u"), "new");
            scratch.Write(QStringLiteral("game/System/KelvarinCompiler.log"), kGoodLog);
        };
        const CompileOutcome outcome = h.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(h.script.starts.size(), 1);
        QCOMPARE(QFileInfo(h.script.starts.first().program).fileName(), QStringLiteral("ucc-bin"));
        const QString sys = QFileInfo(scratch.Path(QStringLiteral("game/System"))).absoluteFilePath();
        QCOMPARE(h.script.starts.first().arguments, (QStringList{"make", "ini=" + sys + "/UnrealTournament.ini",
                                                                 "-log=" + sys + "/KelvarinCompiler.log"}));
        QCOMPARE(outcome.Succeeded(), fresh);
        QFile package(scratch.Path(QStringLiteral("game/System/MyMod.u")));
        QVERIFY(package.open(QIODevice::ReadOnly));
        QCOMPARE(package.readAll(), QByteArray(fresh ? "new" : "old"));
        QCOMPARE(QFileInfo::exists(made), !fresh);
        QVERIFY(!QFileInfo::exists(scratch.Path(QStringLiteral("game/System/MyMod.ubak"))));
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

    void parse_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("errors");
        QTest::newRow("start time, headings, success")
            << QStringList{"Log: Log file open, 05/03/24 10:11:12", "Log: Compiling", "Heading: ----MyMod----",
                           "Log: Success - 0 error(s), 0 warnings"}
            << QStringList{"Compilation started at: 05/03/24 10:11:12", "----MyMod----", "Compilation successfull!"}
            << false;
        QTest::newRow("warnings and errors kept whole, in file order")
            << QStringList{"Log: Log file open, x", "ExecWarning: ..\\P\\Classes\\a.uc: case", "Heading: P",
                           "Error: ..\\P\\Classes\\B.uc(3) : Error, bad", "Log: Compile aborted due to errors."}
            << QStringList{"Compilation started at: x", "ExecWarning: ..\\P\\Classes\\a.uc: case", "P",
                           "Error: ..\\P\\Classes\\B.uc(3) : Error, bad", "Compilation stopped due to errors."}
            << true;
        QTest::newRow("Error: inside a line does not count")
            << QStringList{"Log: Log file open, t", "Log: Error: nothing", " Error: indented", "error: lower"}
            << QStringList{"Compilation started at: t", "Compilation successfull!"} << false;
        QTest::newRow("first line is never looked at")
            << QStringList{"Error: first", "Heading: H"}
            << QStringList{"Compilation started at: ", "H", "Compilation successfull!"} << false;
        QTest::newRow("short first line gives an empty time")
            << QStringList{"Log:"} << QStringList{"Compilation started at: ", "Compilation successfull!"} << false;
        QTest::newRow("empty heading")
            << QStringList{"Log: Log file open, t", "Heading: "}
            << QStringList{"Compilation started at: t", "", "Compilation successfull!"} << false;
    }

    void parse()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QFETCH(bool, errors);
        bool found = !errors;
        QCOMPARE(CompilerLog::Parse(lines, &found), expected);
        QCOMPARE(found, errors);
        QCOMPARE(CompilerLog::HasErrorLine(lines), errors);
    }

    // The verdict comes from the file whichever view is shown; an empty
    // log shows "No log", as does a missing one (no compile yet). A log that
    // cannot be read is reported and keeps the flag of the load before.
    void loadLog_data()
    {
        QTest::addColumn<QByteArray>("bytes");   // null: no file; "/": a directory in its place
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("errors");
        const QByteArray bad("Log: Log file open, now\r\nHeading: P\r\nError: ..\\P\\Classes\\X.uc(1) : Error, x\r\n");
        QTest::newRow("parsed with error") << bad << true
            << QStringList{"Compilation started at: now", "P", "Error: ..\\P\\Classes\\X.uc(1) : Error, x",
                           "Compilation stopped due to errors."}
            << true;
        QTest::newRow("raw with error") << bad << false
            << QStringList{"Log: Log file open, now", "Heading: P", "Error: ..\\P\\Classes\\X.uc(1) : Error, x"}
            << true;
        QTest::newRow("Latin-1 bytes, no final line end") << QByteArray("Log: Log file open, caf\xe9\nHeading: \xff\xe9t\xe9")
            << true
            << QStringList{QString::fromLatin1("Compilation started at: caf\xe9"), QString::fromLatin1("\xff\xe9t\xe9"),
                           "Compilation successfull!"}
            << false;
        QTest::newRow("empty parsed") << QByteArray("") << true << QStringList{"No log"} << false;
        QTest::newRow("empty raw") << QByteArray("") << false << QStringList{"No log"} << false;
        QTest::newRow("no file: no compile yet") << QByteArray() << true << QStringList{"No log"} << false;
        QTest::newRow("a directory in its place") << QByteArray("/") << true << QStringList() << true;
    }

    void loadLog()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, parsed);
        QFETCH(QStringList, expected);
        QFETCH(bool, errors);
        const bool unreadable = bytes == "/";
        test::GameDir game;
        if (unreadable)
            game.MakeDir(kLog + QLatin1String("/inside"));
        else if (!bytes.isNull())
            game.WriteBytes(kLog, bytes);
        CompilerLog log;
        // A previous load that found errors must not leak into this one.
        game.WriteBytes(QStringLiteral("Other/System/KelvarinCompiler.log"), "x\r\nError: old\r\n");
        log.LoadLog(game.Base() + QLatin1String("/Other"), true);
        QVERIFY(log.ErrorsFound());
        const CompilerLog::View view = log.LoadLog(game.Base(), parsed);
        QCOMPARE(view.opened, !unreadable);
        QCOMPARE(view.lines, expected);
        QCOMPARE(log.ErrorsFound(), errors);
        QCOMPARE(view.empty, bytes.isEmpty());
        QCOMPARE(view.errorText, unreadable ? QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(game.Native(kLog))
                                            : QString());
        if (!unreadable)
            QCOMPARE(game.Read(kLog), bytes);
    }

    // A double click on an error or warning line leads to the source file
    // in the game directory, whatever path UCC wrote in front of it.
    void sourceOf_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("path");   // below BaseDir; empty: none
        QTest::addColumn<int>("number");
        QTest::newRow("error, path from System") << "Error: ..\\StormMod\\Classes\\StormMutator.uc(12) : Error, x"
                                                 << "\\StormMod\\Classes\\StormMutator.uc" << 12;
        QTest::newRow("warning, the game's own path") << "ExecWarning: C:\\UnrealTournament\\P\\classes\\A.UC(3) : Warning, y"
                                                      << "\\P\\Classes\\A.UC" << 3;
        QTest::newRow("plain warning, slashes") << "Warning: /home/u/ut/P/Classes/A.uc(7) : Warning, z"
                                                << "\\P\\Classes\\A.uc" << 7;
        QTest::newRow("no line number") << "Error: 'x' is not a package name" << "" << 0;
        QTest::newRow("not below Classes") << "Error: ..\\P\\Other\\A.uc(1) : Error, x" << "" << 0;
        QTest::newRow("package leading outside") << "Error: ..\\..\\Classes\\A.uc(1) : Error, x" << "" << 0;
        QTest::newRow("line 0") << "Error: ..\\P\\Classes\\A.uc(0) : Error, x" << "" << 0;
        QTest::newRow("heading") << "Heading: ..\\P\\Classes\\A.uc(4)" << "" << 0;
        QTest::newRow("Error: inside a line") << "Log: Error: ..\\P\\Classes\\A.uc(4)" << "" << 0;
    }

    void sourceOf()
    {
        QFETCH(QString, line);
        QFETCH(QString, path);
        QFETCH(int, number);
        const std::optional<CompilerLog::SourceLine> source = CompilerLog::SourceOf(line, QStringLiteral("/g/UT"));
        QCOMPARE(source.has_value(), !path.isEmpty());
        if (source) {
            QCOMPARE(source->path, QStringLiteral("/g/UT") + path);
            QCOMPARE(source->line, number);
        }
    }

    // A run of state changes, one letter per step: c / C a compile starts /
    // ends, e / E an export starts / ends; Update follows every step.
    void Steps_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("told");       // the Open values told, in order
        QTest::addColumn<bool>("openAtEnd");
        QTest::newRow("a compile") << "cC" << "01" << true;
        QTest::newRow("an export") << "eE" << "01" << true;
        QTest::newRow("export during a compile: told once") << "ceCE" << "01" << true;
        QTest::newRow("compile ends, export still runs") << "ecC" << "0" << false;
        QTest::newRow("nothing runs") << "" << "" << true;
    }

    void Steps()
    {
        QFETCH(QString, steps);
        QFETCH(QString, told);
        QFETCH(bool, openAtEnd);
        bool compiling = false;
        bool exporting = false;
        UccGate gate([&] { return compiling; }, [&] { return exporting; });
        QString heard;
        gate.SetOpenChanged([&](bool open) { heard += open ? QLatin1Char('1') : QLatin1Char('0'); });
        for (QChar step : steps) {
            const bool starts = step.isLower();
            (step.toLower() == QLatin1Char('c') ? compiling : exporting) = starts;
            gate.Update();
            // Each tool sees the other one, never itself.
            QCOMPARE(gate.CompileRuns(), compiling);
            QCOMPARE(gate.ExportRuns(), exporting);
        }
        QCOMPARE(heard, told);
        QCOMPARE(gate.Open(), openAtEnd);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestCompileRunner)
#include "tst_compilerunner.moc"
