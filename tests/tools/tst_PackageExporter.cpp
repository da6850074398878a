// The exporter's rules with a scripted UCC.exe: the lists, the command, the
// queue run one process after another, Cancel, the overwrite question; and
// the real start of UCC.exe against its stand-in.

#include "model/ClassModel.h"
#include "platform/LaunchCodes.h"
#include "support/FakeProcess.h"
#include "support/ModelHarness.h"
#include "support/PackageWriter.h"
#include "support/RecordingShell.h"
#include "support/StandinScratch.h"
#include "tools/PackageExporter.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace kelvarin;
using namespace kelvarin::test;

namespace {

// The exporter on a scratch game, every start recorded and answered by a
// new FakeProcess (or a failure while failCode is set); or, not fake, by the
// real start.
struct ExportHarness
{
    ModelHarness h;
    RecordingErrors errors;
    PackageExporter exporter{h.model, errors};
    QList<ProgramCommand> commands;
    QList<std::shared_ptr<FakeProcess>> processes;
    int failCode = 0, beeps = 0;
    QStringList statuses;
    QList<bool> busyChanges;

    explicit ExportHarness(bool fake = true)
    {
        if (fake)
            exporter.SetProgramStarter([this](const ProgramCommand &command, int *code) -> std::shared_ptr<RunningProcess> {
                commands.append(command);
                if (failCode) {
                    *code = failCode;
                    return nullptr;
                }
                processes.append(std::make_shared<FakeProcess>());
                return processes.last();
            });
        exporter.SetBeep([this] { ++beeps; });
        exporter.SetStatusSink([this](const QString &text) { statuses.append(text); });
        exporter.SetBusyChangedHandler([this](bool busy) { busyChanges.append(busy); });
    }

    void Packages(const QStringList &names)
    {
        for (const QString &name : names)
            h.game.WriteBytes(QStringLiteral("System/") + name, "x");
        exporter.ScanPackages();
    }

    // Ends the last started process and lets its end arrive.
    void EndLast(int exitCode = 0)
    {
        const int before = beeps + int(commands.size()) + exporter.FoundList().Count();
        processes.last()->End(exitCode);
        QTRY_VERIFY_WITH_TIMEOUT(beeps + int(commands.size()) + exporter.FoundList().Count() != before, 30000);
    }
};

QStringList Entries(SortedList &list) { return list.Entries(); }

// A stand-in container holding the given classes (name, parent, source).
QByteArray Container(const QString &package, const QList<std::array<QByteArray, 3>> &classes)
{
    QByteArray bytes = "KelvarinStandinPackage 1\npackage " + package.toUtf8() + "\nclasses "
        + QByteArray::number(classes.size()) + '\n';
    for (const auto &c : classes)
        bytes += "class " + c[0] + ' ' + c[1] + ' ' + QByteArray::number(c[2].size()) + '\n' + c[2] + '\n';
    return bytes + "end\n";
}

} // namespace

class tst_PackageExporter : public QObject
{
    Q_OBJECT

private slots:
    void scanListsCompiledPackagesSorted()
    {
        ExportHarness t;
        t.h.game.MakeDir(QStringLiteral("System/Folder.u"));
        t.Packages({QStringLiteral("MyMod.u"), QStringLiteral("Botpack.u"), QStringLiteral("Upper.U"),
                    QStringLiteral("Old.ubak"), QStringLiteral("Notes.txt"), QStringLiteral(".u"),
                    QStringLiteral("...u")});
        QCOMPARE(Entries(t.exporter.FoundList()),
                 (QStringList{QStringLiteral("Botpack"), QStringLiteral("MyMod"), QStringLiteral("Upper")}));
        QVERIFY(t.exporter.ExportList().IsEmpty());
        // Without a game directory nothing is listed, nor left queued.
        t.exporter.AddAll();
        t.h.options.BaseDir.clear();
        t.exporter.ScanPackages();
        QVERIFY(t.exporter.FoundList().IsEmpty());
        QVERIFY(t.exporter.ExportList().IsEmpty());
    }

    void packageName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("package");
        QTest::newRow("blanks around") << "  MyMod.u \t" << "MyMod";
        QTest::newRow("blank inside") << "My Mod.u" << "My Mod";
        QTest::newRow("too short") << "u" << "";
    }
    void packageName()
    {
        QFETCH(QString, file);
        QFETCH(QString, package);
        QCOMPARE(PackageExporter::PackageName(file), package);
    }

    void moves_data()
    {
        QTest::addColumn<QString>("move");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("queued");
        // Found at start: A B C D; queued at start: E.
        QTest::newRow("add all") << "addall" << QList<int>{} << QStringList{} << QStringList{"A", "B", "C", "D", "E"};
        QTest::newRow("remove all") << "removeall" << QList<int>{} << QStringList{"A", "B", "C", "D", "E"}
                                    << QStringList{};
        QTest::newRow("add unordered, repeated, out of range")
            << "add" << QList<int>{3, 0, 3, 9, -1} << QStringList{"B", "C"} << QStringList{"A", "D", "E"};
        QTest::newRow("add nothing") << "add" << QList<int>{} << QStringList{"A", "B", "C", "D"} << QStringList{"E"};
        QTest::newRow("remove one") << "remove" << QList<int>{0} << QStringList{"A", "B", "C", "D", "E"}
                                    << QStringList{};
    }
    void moves()
    {
        QFETCH(QString, move);
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, found);
        QFETCH(QStringList, queued);
        ExportHarness t;
        t.Packages({"D.u", "b.u", "C.u", "A.u", "E.u"});
        t.exporter.Add({4});
        QSignalSpy changed(&t.exporter, &PackageExporter::ListsChanged);
        if (move == "addall")
            t.exporter.AddAll();
        else if (move == "removeall")
            t.exporter.RemoveAll();
        else if (move == "add")
            t.exporter.Add(rows);
        else
            t.exporter.Remove(rows);
        QCOMPARE(Entries(t.exporter.FoundList()).join(',').toUpper(), found.join(','));
        QCOMPARE(Entries(t.exporter.ExportList()).join(',').toUpper(), queued.join(','));
        QCOMPARE(changed.count(), 1);
    }

    void exportCommand_data()
    {
        QTest::addColumn<QString>("baseSub");
        QTest::addColumn<bool>("visible");
        QTest::newRow("plain, hidden") << "UT" << false;
        QTest::newRow("blanks, shown") << "Unreal Tournament  99" << true;
    }
    void exportCommand()
    {
        QFETCH(QString, baseSub);
        QFETCH(bool, visible);
        ExportHarness t;
        const QString base = t.h.game.Base() + QLatin1Char('/') + baseSub;
        QDir().mkpath(base + QStringLiteral("/System"));
        t.h.options.BaseDir = base;
        t.h.options.bUCCVisibleExport = visible;
        t.h.options.UCCPriority = 64;
        QFile(base + QStringLiteral("/System/My Mod.u")).open(QIODevice::WriteOnly);
        t.exporter.ScanPackages();
        t.exporter.AddAll();
        QVERIFY(t.exporter.Go());
        QCOMPARE(t.commands.size(), 1);
        const ProgramCommand &c = t.commands.first();
        QCOMPARE(c.program, base + QStringLiteral("\\System\\UCC.Exe"));
        QCOMPARE(c.arguments, (QStringList{"BatchExport", "My Mod.u", "Class", "uc", base + "/My Mod/Classes"}));
        QCOMPARE(c.workingDirectory, base + QStringLiteral("\\System"));
        QCOMPARE(c.shown, visible);
        QCOMPARE(t.processes.first()->priorities, QList<int>{64});
        QCOMPARE(t.statuses.last(), QStringLiteral("Exporting My Mod"));
        t.EndLast();
    }

    // The queue runs one UCC.exe after another. Go refuses an empty queue
    // (and says so), any export while another tool runs UCC, and a second run.
    void queueRunsOneAfterAnother()
    {
        ExportHarness t;
        t.Packages({"C.u", "A.u", "B.u"});
        QVERIFY(!t.exporter.Go());
        QCOMPARE(t.h.prompter.Texts(), QStringList{PackageExporter::NothingQueuedMessage});
        QCOMPARE(t.h.prompter.shown.first().icon, MessageIcon::Error);
        t.exporter.AddAll();
        bool compiling = true;
        t.exporter.SetOtherToolBusy([&compiling] { return compiling; });
        QVERIFY(!t.exporter.Go());
        QVERIFY(!t.exporter.ExportPackage("A"));
        QVERIFY(t.commands.isEmpty());
        compiling = false;
        QVERIFY(t.exporter.Go());
        QVERIFY(t.exporter.IsBusy());
        QVERIFY(!t.exporter.Go());   // never twice
        for (const QString &package : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
            QCOMPARE(t.commands.size(), package.at(0).unicode() - 'A' + 1);
            QCOMPARE(t.commands.last().arguments.at(1), package + QStringLiteral(".u"));
            QCOMPARE(t.exporter.ExportList().At(0), package);
            QVERIFY(t.exporter.FoundList().IndexOf(package) < 0);
            t.EndLast();
            QVERIFY(t.exporter.FoundList().IndexOf(package) >= 0);
        }
        QCOMPARE(t.commands.size(), 3);
        QCOMPARE(t.beeps, 1);
        QVERIFY(!t.exporter.IsBusy());
        QVERIFY(!t.exporter.Busy());
        QCOMPARE(t.statuses.last(), QStringLiteral("Done"));
        QCOMPARE(t.busyChanges, (QList<bool>{true, false}));
    }

    // Without a UCC.exe that starts, or with the option, the queue is
    // exported by Kelvarin's own exporter, and the user is told which ran.
    void exportsWithoutUcc_data()
    {
        QTest::addColumn<bool>("option");
        QTest::addColumn<int>("starts");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("statuses");   // before the native export's
        const QString fallback = QString::fromLatin1(PackageExporter::UccFallbackMessage).arg("A");
        QTest::newRow("UCC.exe cannot be started") << false << 1 << QStringList{fallback} << QStringList{"Exporting A"};
        QTest::newRow("the option asks for it") << true << 0 << QStringList() << QStringList();
    }

    void exportsWithoutUcc()
    {
        QFETCH(bool, option);
        QFETCH(int, starts);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, statuses);
        ExportHarness t;
        test::PackageWriter a;
        a.Class("Alpha", 0, QByteArray("class Alpha;\r\n"));
        a.Class("Beta", 0, QByteArray("class Beta;\r\n"));
        t.h.game.WriteBytes("System/A.u", a.Bytes());
        t.h.game.WriteBytes("System/B.u", "not a package");
        t.exporter.ScanPackages();
        t.exporter.AddAll();
        t.h.options.bNativeExport = option;
        t.failCode = LaunchCode::FileNotFound;
        QVERIFY(t.exporter.Go());
        QTRY_VERIFY_WITH_TIMEOUT(!t.exporter.Busy(), 30000);
        QCOMPARE(t.commands.size(), starts);
        QVERIFY(t.errors.shown.isEmpty());
        QCOMPARE(t.h.game.Read("A/Classes/Beta.uc"), QByteArray("class Beta;\r\ndefaultproperties\r\n{\r\n}\r\n"));
        QCOMPARE(t.h.prompter.Texts(),
                 messages + QStringList{t.h.game.Native("System/B.u") + QStringLiteral(" is not a game package")});
        QCOMPARE(t.statuses, statuses + (QStringList{"Exporting A without UCC.exe", "A: 2 classes written without UCC.exe.",
                                          "Exporting B without UCC.exe", "Done"}));
        QCOMPARE(t.beeps, 1);
        QCOMPARE(Entries(t.exporter.FoundList()), (QStringList{"A", "B"}));
    }

    // While the queue runs the lists stay as they are; Cancel ends UCC.exe
    // and empties the queue at once, the beep and "Done" wait for its end.
    void cancelEndsWithBeepAndDone()
    {
        ExportHarness t;
        t.Packages({"A.u", "B.u", "C.u"});
        t.exporter.Add({0, 1});
        t.exporter.Go();
        t.exporter.AddAll();
        t.exporter.RemoveAll();
        t.exporter.ScanPackages();
        QCOMPARE(Entries(t.exporter.ExportList()), (QStringList{"A", "B"}));
        QCOMPARE(Entries(t.exporter.FoundList()), QStringList{"C"});
        t.exporter.Cancel();
        QCOMPARE(t.processes.first()->terminateCodes, QList<int>{255});
        QVERIFY(!t.exporter.IsBusy());
        QVERIFY(t.exporter.Busy());   // its UCC.exe has not ended yet
        QVERIFY(t.exporter.ExportList().IsEmpty());
        QCOMPARE(t.exporter.FoundList().Count(), 3);
        t.EndLast(255);
        QCOMPARE(t.beeps, 1);
        QCOMPARE(t.statuses.last(), QStringLiteral("Done"));
        QCOMPARE(t.commands.size(), 1);
        QVERIFY(!t.exporter.Busy());
    }

    // The cancelled export ends only after the next Go: the new run must
    // not move on, whether its start worked or failed.
    void staleEndIsIgnored_data()
    {
        QTest::addColumn<int>("failCode");
        QTest::newRow("next start runs") << 0;
        QTest::newRow("next start failed") << int(LaunchCode::AccessDenied);
    }
    void staleEndIsIgnored()
    {
        QFETCH(int, failCode);
        ExportHarness t;
        t.Packages({"A.u", "B.u"});
        t.exporter.Add({0});
        t.exporter.Go();
        t.exporter.Cancel();
        t.exporter.Add({t.exporter.FoundList().IndexOf("B")});
        t.failCode = failCode;
        QVERIFY(t.exporter.Go());
        QCOMPARE(t.commands.size(), 2);
        t.processes.first()->End(255);
        QTest::qWait(5 * PackageExporter::WaitStepMs);   // lets the stale end arrive, if it would move anything
        QCOMPARE(t.commands.size(), 2);
        if (failCode) {
            // B went to the native exporter; the stale end moved nothing.
            QVERIFY(t.exporter.ExportList().IsEmpty());
            QVERIFY(!t.exporter.IsBusy());
            QCOMPARE(t.beeps, 1);
            return;
        }
        QCOMPARE(Entries(t.exporter.ExportList()), QStringList{"B"});
        QVERIFY(t.exporter.IsBusy());
        QCOMPARE(t.beeps, 0);
        t.EndLast();
        QVERIFY(t.exporter.ExportList().IsEmpty());
        QCOMPARE(t.beeps, 1);
        QVERIFY(!t.exporter.IsBusy());
    }

    void overwriteQuestion_data()
    {
        QTest::addColumn<QList<MessageAnswer>>("answers");
        QTest::addColumn<bool>("started");
        QTest::newRow("no keeps the sources") << QList<MessageAnswer>{MessageAnswer::No} << false;
        QTest::newRow("yes exports") << QList<MessageAnswer>{MessageAnswer::Yes} << true;
    }
    void overwriteQuestion()
    {
        QFETCH(QList<MessageAnswer>, answers);
        QFETCH(bool, started);
        ExportHarness t;
        t.Packages({"Alpha.u", "Beta.u", "Gamma.u", "Delta.u"});
        t.h.game.WriteClass("alpha", "A.uc", "class A extends Actor;");
        t.h.game.WriteClass("Gamma", "G.UC", "class G extends Actor;");
        t.h.game.MakeDir("Beta/Classes");   // no sources: nothing to lose
        t.h.prompter.answers = answers;
        t.exporter.AddAll();
        QCOMPARE(t.exporter.Go(), started);
        QCOMPARE(t.h.prompter.shown.size(), 1);
        const auto &asked = t.h.prompter.shown.first();
        QCOMPARE(asked.text, QStringLiteral("These packages already have sources, which the export will overwrite:\r\n"
                                            "Alpha\r\nGamma\r\nExport anyway?"));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(t.commands.size(), started ? 1 : 0);
        QCOMPARE(t.exporter.ExportList().Count(), 4);
        QCOMPARE(t.exporter.IsBusy(), started);
        if (started)
            t.exporter.Cancel();
    }

    void destroyingTheExporterEndsItsWatch()
    {
        std::shared_ptr<FakeProcess> process;
        {
            ExportHarness t;
            t.Packages({"A.u"});
            t.exporter.AddAll();
            t.exporter.Go();
            process = t.processes.first();
        }
        // The end of a process whose exporter is gone reaches nobody, and
        // nothing holds the process any more.
        process->End();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(process.use_count(), 1);
    }

    // ExportPackage (the command line's) waits for UCC.exe: exported only
    // when it ends with 0 having written sources; the program ending ends it.
    void exportPackage_data()
    {
        QTest::addColumn<int>("exitCode");   // -1: runs until the program ends
        QTest::addColumn<bool>("writesSources");
        QTest::addColumn<bool>("exported");
        QTest::newRow("exported") << 0 << true << true;
        QTest::newRow("failed inside UCC") << 1 << false << false;
        QTest::newRow("zero but nothing written") << 0 << false << false;
        QTest::newRow("program ends while UCC runs") << -1 << false << false;
    }
    void exportPackage()
    {
        QFETCH(int, exitCode);
        QFETCH(bool, writesSources);
        QFETCH(bool, exported);
        ExportHarness t;
        t.Packages({"MyMod.u"});
        auto process = std::make_shared<FakeProcess>();
        process->terminateEnds = true;
        t.exporter.SetProgramStarter([&](const ProgramCommand &command, int *) -> std::shared_ptr<RunningProcess> {
            t.commands.append(command);
            if (writesSources)
                t.h.game.WriteClass("MyMod", "MyClass.uc", "class MyClass extends Actor;");
            if (exitCode < 0)
                t.h.pump.SetTerminating(true);
            else
                process->End(exitCode);
            return process;
        });
        QCOMPARE(t.exporter.ExportPackage("mymod"), exported);
        QCOMPARE(t.commands.size(), 1);
        QCOMPARE(process->terminateCodes, exitCode < 0 ? QList<int>{255} : QList<int>());
        QVERIFY(!t.exporter.Busy());
        // The refresh lists the package directory the export made.
        QCOMPARE(t.h.PackageItems().contains("MyMod"), writesSources);
    }

    void exportPackageRefusals()
    {
        ExportHarness t;
        t.Packages({"MyMod.u"});
        t.h.game.WriteClass("MyMod", "A.uc", "class A extends Actor;");
        t.h.prompter.defaultYes = false;
        QVERIFY(!t.exporter.ExportPackage("MyMod"));   // the overwrite question said No
        QVERIFY(!t.exporter.ExportPackage("..\\MyMod"));
        QVERIFY(t.commands.isEmpty());
        QVERIFY(t.h.prompter.Texts().last().startsWith(QStringLiteral("Cannot open file ")));
    }


    // The real start of UCC.exe (the stand-in) in a game directory with
    // blanks, by Go and by ExportPackage: the program found in System
    // whatever its letter case, run there, the target one absolute argument,
    // the sources byte for byte. UCC runs in System, so a base directory given
    // relative to Kelvarin's own directory must still receive the sources,
    // not System below it.
    void exportsThroughUcc_data()
    {
        QTest::addColumn<bool>("relative");   // exported by ExportPackage, not Go
        QTest::newRow("Go, absolute base directory") << false;
        QTest::newRow("ExportPackage, relative base directory") << true;
    }

    void exportsThroughUcc()
    {
        QFETCH(bool, relative);
        StandinScratch scratch;
        QVERIFY(scratch.IsValid());
        ExportHarness t(false);
        const QString base = scratch.Path(QStringLiteral("Unreal Tournament"));
        const QByteArray sourceA = "class MyA extends Actor;\r\n// a \"quoted\" { brace\r\n";
        const QByteArray sourceB = "\xEF\xBB\xBF" "class MyB expands MyA;\r\n";
        scratch.CopyProgram(QStringLiteral("Unreal Tournament/System/UCC.exe"), QStringLiteral(KELVARIN_UCC_STANDIN));
        scratch.Write(QStringLiteral("Unreal Tournament/System/MyMod.u"),
                      Container("MyMod", {{"MyA", "Actor", sourceA}, {"MyB", "MyA", sourceB}}));
        t.h.options.BaseDir = relative ? QDir::current().relativeFilePath(base) : base;
        t.exporter.ScanPackages();
        if (relative) {
            QVERIFY(t.exporter.ExportPackage("mymod"));
        } else {
            t.exporter.AddAll();
            QVERIFY(t.exporter.Go());
            QTRY_VERIFY_WITH_TIMEOUT(!t.exporter.Busy(), 30000);
        }
        const QList<StandinScratch::Start> starts = scratch.Starts();
        QCOMPARE(starts.size(), 1);
        QCOMPARE(QFileInfo(starts.first().program).fileName(), QStringLiteral("UCC.exe"));
        QCOMPARE(QDir(starts.first().workingDirectory).canonicalPath(), QDir(base + "/System").canonicalPath());
        QCOMPARE(starts.first().arguments, (QStringList{"BatchExport", "MyMod.u", "Class", "uc", base + "/MyMod/Classes"}));
        const auto exported = [&base](const QString &file) {
            QFile source(base + QStringLiteral("/MyMod/Classes/") + file);
            return source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray("<missing>");
        };
        QCOMPARE(exported("MyA.uc"), sourceA);
        QCOMPARE(exported("MyB.uc"), sourceB);
        QVERIFY(t.errors.shown.isEmpty());
    }
};

KELVARIN_TEST_GUILESS_MAIN(tst_PackageExporter)
#include "tst_PackageExporter.moc"
