#include "model/PackageLoader.h"
#include "model/Scanner.h"
#include "model/SourceReadAhead.h"

#include "persist/StateFile.h"
#include "support/ModelHarness.h"
#include "support/PackageWriter.h"
#include "support/Raised.h"
#include "support/ScriptedPump.h"

#include <QDir>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace kelvarin;
using test::DumpTree;
using test::ModelHarness;

namespace {

// Core, Engine and MyMod form one hierarchy: Object <- Actor <- MyActor.
void WritePackages(const test::GameDir &game, const QStringList &packages)
{
    const QMap<QString, QString> declarations{
        {"Core", "Object:class Object;"}, {"Engine", "Actor:class Actor expands Object;"},
        {"MyMod", "MyActor:class MyActor expands Actor;"}};
    for (const QString &package : packages)
        game.WriteClass(package, declarations[package].section(':', 0, 0) + ".uc", declarations[package].section(':', 1));
    // A package directory without sources is never a package.
    game.WriteText(QStringLiteral("Textures/Classes/readme.txt"), QStringLiteral("no code"));
}

QString NotLoadable(const QString &upperName)
{
    return QStringLiteral("Unable to load package ") + upperName
        + QStringLiteral(". If you've just hit \"Read default packages\", the package is in the "
                         "EditPackages list in UnrealTournament.ini. Please export the code or "
                         "remove the package from the EditPackages list. If you just want to load "
                         "a package, please export the code first.");
}

const QString kCoreMissing = QStringLiteral(
    "Unable to load package CORE. This ususally indicates that you haven't exported the UScript "
    "code the right way. Please read the readme file.");

// A stock game without sources: System/Core.u (Object) and System/engine.U
// (Actor, parent Core.Object, stripped of its source), a container of the UCC
// stand-in and a damaged package; MyMod has sources.
void WriteCompiledGame(const test::GameDir &game)
{
    test::PackageWriter core;
    core.Class("Object", 0, QByteArray("class Object;\r\n"));
    game.WriteBytes(QStringLiteral("System/Core.u"), core.Bytes());
    test::PackageWriter engine;
    engine.Class("Actor", engine.ImportClass(engine.ImportPackage("Core"), "Object"), std::nullopt);
    game.WriteBytes(QStringLiteral("System/engine.U"), engine.Bytes());
    game.WriteBytes(QStringLiteral("System/Standin.u"), "KelvarinStandinPackage 1\npackage Standin\nclasses 0\nend\n");
    game.WriteBytes(QStringLiteral("System/Broken.u"), engine.Bytes().left(60));
    game.WriteClass(QStringLiteral("MyMod"), QStringLiteral("MyActor.uc"), QStringLiteral("class MyActor expands Actor;"));
    game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                   QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\nEditPackages=MyMod\r\n"));
}

const QStringList kAll{QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("MyMod")};

// A game of several packages: classes whose parents are in later packages or
// nowhere, the same class name in two packages, sources in UTF-16 and
// Latin-1, and names that are not sources (a directory, a pipe, a dangling
// link, an upper-case extension).
void WriteReadAheadGame(const ModelHarness &h, const QString &editPackages)
{
    h.game.WriteText("System/UnrealTournament.ini", "[Engine.Engine]\r\nx=1\r\n[Editor.EditorEngine]\r\n"
                                                     + editPackages + "[Other]\r\nEditPackages=Never\r\n");
    h.game.CopyData("readahead-game", QString());
    h.game.MakeDir("ModB/Classes/Folder.uc");
    QVERIFY(mkfifo(QFile::encodeName(h.game.Native("ModB/Classes/Pipe.uc")).constData(), 0600) == 0);
    QVERIFY(QFile::link(h.game.Native("ModB/Classes/Nowhere"), h.game.Native("ModB/Classes/Dangling.uc")));
    for (int i = 0; i < 80; ++i)
        h.game.WriteClass("Big", QStringLiteral("Many%1.uc").arg(i),
                          QStringLiteral("class Many%1 expands %2;").arg(i).arg(i % 3 ? "Bot" : "Actor"));
    for (int p = 1; p <= 4; ++p)
        for (int i = 0; i < 3; ++i)
            h.game.WriteClass(QStringLiteral("Fill%1").arg(p), QStringLiteral("Fill%1x%2.uc").arg(p).arg(i),
                              QStringLiteral("class Fill%1x%2 expands Actor;").arg(p).arg(i));
}

QStringList Snapshot(ModelHarness &h)
{
    QStringList statuses;
    for (const QString &status : h.statuses)
        statuses.append(status.startsWith("Load time: ") ? status.section("  ", 1) : status);
    QStringList marks;
    for (int row = 0; row < h.model.Packages().Count(); ++row)
        marks.append(h.model.Packages().Text(row) + ':' + QString::number(int(h.model.Packages().MarkAt(row))));
    return QStringList{DumpTree(h.model.Browser()).join('|'), DumpTree(h.model.PackagesBrowser()).join('|'),
                       h.model.Bindings().Entries().join('|'), h.model.Files().Entries().join('|'),
                       marks.join('|'), h.prompter.Texts().join('|'), statuses.join('|')};
}

} // namespace

class TestPackageLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void readEditPackages_data()
    {
        QTest::addColumn<QStringList>("packages");
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QStringList>("messages");

        const QByteArray head("[Editor.EditorEngine]\r\n");
        QTest::newRow("file order, name in any case")
            << kAll << head + "EditPackages=Core\r\nEditPackages=Engine\r\nEditPackages=mymod\r\n"
            << QStringList{"Core", "Engine", "mymod"} << QStringList();
        QTest::newRow("blanks around = ignored")
            << kAll << head + "EditPackages = Core\r\nEditPackages=Engine\r\n"
            << QStringList{"Engine"} << QStringList();
        QTest::newRow("header any case, indented, LF ends")
            << kAll << QByteArray("; intro\n  [editor.EDITORengine]  \n\tEditPackages=Core\n")
            << QStringList{"Core"} << QStringList();
        QTest::newRow("other sections ignored, next section stops")
            << kAll << QByteArray("[Engine.Engine]\r\nEditPackages=MyMod\r\n") + head
                   + "EditPackages=Core\r\nOther=1\r\n[Core.System]\r\nEditPackages=Engine\r\n"
            << QStringList{"Core"} << QStringList();
        QTest::newRow("only the first section")
            << kAll << head + "EditPackages=Core\r\n" + head + "EditPackages=Engine\r\n"
            << QStringList{"Core"} << QStringList();
        QTest::newRow("missing package stops reading")
            << kAll << head + "EditPackages=Core\r\nEditPackages=Missing\r\nEditPackages=Engine\r\n"
            << QStringList{"Core"} << QStringList{NotLoadable(QStringLiteral("MISSING"))};
        QTest::newRow("missing core")
            << QStringList{"Engine"} << head + "EditPackages=core\r\nEditPackages=Engine\r\n"
            << QStringList() << QStringList{kCoreMissing};
        QTest::newRow("directory without sources")
            << kAll << head + "EditPackages=Core\r\nEditPackages=Textures\r\n"
            << QStringList{"Core"} << QStringList{NotLoadable(QStringLiteral("TEXTURES"))};
        QTest::newRow("long line")
            << kAll << head + "; " + QByteArray(300, 'x') + "\r\nEditPackages=Core\r\n"
            << QStringList{"Core"} << QStringList();
        QTest::newRow("Latin-1 bytes")
            << kAll << head + "; caf\xe9 \xff\r\nEditPackages=Core\r\nDesc=\xe9t\xe9\r\nEditPackages=Engine\r\n"
            << QStringList{"Core", "Engine"} << QStringList();
        QTest::newRow("no section") << kAll << QByteArray("[Engine.Engine]\r\nEditPackages=Core\r\n")
                                    << QStringList() << QStringList();
    }

    void readEditPackages()
    {
        QFETCH(QStringList, packages);
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, loaded);
        ModelHarness h;
        WritePackages(h.game, packages);
        h.game.WriteBytes(QStringLiteral("System/UnrealTournament.ini"), ini);
        h.model.ResetModel();
        PackageLoader(h.model).ReadEditPackages();

        QStringList order;
        for (const QString &s : h.StatusesStartingWith(QStringLiteral("Loading: ")))
            order.append(s.mid(9));
        QCOMPARE(order, loaded);
        // The directory is ticked whatever the case the name is written in.
        QStringList ticked = loaded;
        ticked.sort(Qt::CaseInsensitive);
        QCOMPARE(h.PackageItems(true).join(',').toUpper(), ticked.join(',').toUpper());
        QTEST(h.prompter.Texts(), "messages");
        for (const auto &shown : h.prompter.shown) {
            QCOMPARE(shown.title, QStringLiteral("Kelvarin"));
            QCOMPARE(shown.icon, MessageIcon::Error);
        }
        // Packages loaded before a failure stay loaded.
        QCOMPARE(h.model.FindPackage(QStringLiteral("Object")),
                 QString::fromLatin1(loaded.contains(QStringLiteral("Core")) ? "Core" : "? ? ?"));
    }

    void compiledPackages_data()
    {
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("coreSources");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("compiled");
        QTest::addColumn<QStringList>("messages");
        const QStringList tree{"Classes", "-Object", "--Actor", "---MyActor"};
        QTest::newRow("classes of packages without sources")
            << true << false << QStringList{"Broken", "Core", "engine", "MyMod"} << tree
            << QStringList{"Object", "Actor"} << QStringList();
        QTest::newRow("sources win, the compiled file is not read")
            << true << true << QStringList{"Broken", "Core", "engine", "MyMod"} << tree
            << QStringList{"Actor"} << QStringList();
        QTest::newRow("option off: as without compiled packages")
            << false << false << QStringList{"MyMod"} << QStringList{"Classes"} << QStringList()
            << QStringList{kCoreMissing};
    }

    void compiledPackages()
    {
        QFETCH(bool, option);
        QFETCH(bool, coreSources);
        QFETCH(QStringList, tree);
        QFETCH(QStringList, compiled);
        ModelHarness h;
        WriteCompiledGame(h.game);
        if (coreSources) {
            h.game.WriteClass(QStringLiteral("Core"), QStringLiteral("Object.uc"), QStringLiteral("class Object;"));
            h.game.WriteBytes(QStringLiteral("System/Core.u"), "\xC1\x83\x2A\x9E damaged");
        }
        h.options.bReadCompiledPackages = option;
        PackageLoader(h.model).ReadDefaultPackages();
        QTEST(h.PackageItems(), "items");
        QCOMPARE(DumpTree(h.model.Browser()), tree);
        QTEST(h.prompter.Texts(), "messages");
        const auto marked = [&] {
            QStringList found;
            for (const char *name : {"Object", "Actor", "MyActor"})
                if (h.model.IsCompiledClass(QLatin1String(name)))
                    found.append(QLatin1String(name));
            return found;
        };
        QCOMPARE(marked(), compiled);
        if (!option)
            return;
        QCOMPARE(h.model.FindPackage(QStringLiteral("Actor")), QStringLiteral("Engine"));
        QCOMPARE(DumpTree(h.model.PackagesBrowser()).filter(QStringLiteral("-Actor")), QStringList{"--Actor"});

        // A saved state loads back the same; the marks come from the disk again.
        const QString state = h.game.Base() + QStringLiteral("\\Compiled.Kelvar");
        QVERIFY(StateFile(h.model).SaveState(state));
        const QStringList packageTree = DumpTree(h.model.PackagesBrowser());
        h.model.ResetModel();
        QVERIFY(marked().isEmpty());
        QVERIFY(StateFile(h.model).LoadState(state));
        QCOMPARE(DumpTree(h.model.Browser()), tree);
        QCOMPARE(DumpTree(h.model.PackagesBrowser()), packageTree);
        QCOMPARE(marked(), compiled);

        // A damaged compiled package says what is wrong with it.
        const int row = h.model.Packages().IndexOf(QStringLiteral("Broken"));
        h.model.Packages().SetMark(row, PackageList::Mark::Checked);
        PackageLoader(h.model).PackageTickChanged(row);
        QCOMPARE(h.prompter.Texts().size(), 1);
        QVERIFY2(h.prompter.Texts().at(0).startsWith(
                     QDir::toNativeSeparators(h.game.Native(QStringLiteral("System/Broken.u"))) + " is damaged: "),
                 qPrintable(h.prompter.Texts().at(0)));
        QCOMPARE(h.prompter.shown[0].title, QStringLiteral("Kelvarin error"));
    }

    void childPackageWaitsForItsParent()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.game.WriteText(QStringLiteral("System/Engine.int"), QStringLiteral("[Public]\r\n"));
        h.game.WriteText(QStringLiteral("System/Engine.ini"), QStringLiteral("[Engine]\r\n"));
        PackageLoader loader(h.model);
        QVERIFY(loader.LoadPackage(QStringLiteral("MyMod"), false));
        QVERIFY(loader.LoadPackage(QStringLiteral("Engine"), false));
        QCOMPARE(h.model.Files().Count(), 2);
        QCOMPARE(DumpTree(h.model.Browser()), QStringList{"Classes"});
        QVERIFY(h.model.Bindings().IsEmpty());
        // The file nodes come with the package even though no class attached.
        QCOMPARE(DumpTree(h.model.PackagesBrowser()),
                 (QStringList{"Packages", "-Engine", "--Engine.int", "--Engine.ini"}));

        QVERIFY(loader.LoadPackage(QStringLiteral("Core"), false));
        QVERIFY(h.model.Files().IsEmpty());
        QCOMPARE(DumpTree(h.model.Browser()),
                 (QStringList{"Classes", "-Object", "--Actor", "---MyActor"}));
        QCOMPARE(h.model.FindPackage(QStringLiteral("MyActor")), QStringLiteral("MyMod"));
        QCOMPARE(DumpTree(h.model.PackagesBrowser()),
                 (QStringList{"Packages", "-Core", "--Object", "-Engine", "--Actor", "--Engine.int",
                              "--Engine.ini", "-MyMod", "--MyActor"}));
    }

    // A merge load (as after creating a class or writing the .int) of MyMod;
    // a second one, of the package now loaded, adds nothing to either tree.
    void mergeLoad_data()
    {
        QTest::addColumn<QStringList>("loadedBefore");
        QTest::addColumn<QStringList>("packageTree");
        QTest::addColumn<QStringList>("waiting");
        QTest::newRow("never loaded: its classes attach")
            << QStringList{"Core", "Engine"}
            << QStringList{"Packages", "-Core", "--Object", "-Engine", "--Actor", "-MyMod", "--MyActor", "--MyMod.int"}
            << QStringList();
        QTest::newRow("loaded before its .int was written: one file node")
            << QStringList{"Core", "Engine", "MyMod"}
            << QStringList{"Packages", "-Core", "--Object", "-Engine", "--Actor", "-MyMod", "--MyActor", "--MyMod.int"}
            << QStringList();
        QTest::newRow("still waiting: staged once")
            << QStringList{"Core", "MyMod"} << QStringList{"Packages", "-Core", "--Object", "-MyMod", "--MyMod.int"}
            << QStringList{"Actor=MyActor&mymod"};
    }

    void mergeLoad()
    {
        QFETCH(QStringList, loadedBefore);
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.model.ResetModel();
        PackageLoader loader(h.model);
        for (const QString &package : loadedBefore)
            QVERIFY(loader.LoadPackage(package, false));
        // The first load moved the selection from the root to the first
        // class; the loads after it left it there.
        QCOMPARE(h.model.Browser().Selected()->Text(), QStringLiteral("Object"));
        h.game.WriteText(QStringLiteral("System/MyMod.int"), QStringLiteral("[Public]\r\n"));
        QVERIFY(loader.LoadPackage(QStringLiteral("MyMod"), true));
        const QStringList classes = DumpTree(h.model.Browser());
        QVERIFY(loader.LoadPackage(QStringLiteral("mymod"), true));
        QCOMPARE(DumpTree(h.model.Browser()), classes);
        QTEST(DumpTree(h.model.PackagesBrowser()), "packageTree");
        QTEST(h.model.Files().Entries(), "waiting");
        QCOMPARE(h.model.Bindings().Count(), h.model.ClassCount());
    }

    // Package names become parts of paths built with backslashes: a name
    // that is not one plain directory name is never listed, and never
    // loaded (from a state file, say), even when the place it names holds
    // sources. The game is Game/ below the scratch; Outside/ is beside it.
    // (Which names are one plain directory name is the path rules' matter;
    // these rows show that listing and loading ask them.)
    void namesThatLeaveTheGameDirectory_data()
    {
        QTest::addColumn<QString>("directory");   // made below the game directory ("": none)
        QTest::addColumn<QString>("package");     // then loaded by this name
#ifndef Q_OS_WIN
        QTest::newRow("directory named with backslashes") << "..\\Outside" << "..\\Outside";
#endif
        QTest::newRow("two dots") << "" << "..";
        QTest::newRow("no sources, a compiled file that is no game package") << "" << "Textures";
    }

    void namesThatLeaveTheGameDirectory()
    {
        QFETCH(QString, directory);
        QFETCH(QString, package);
        ModelHarness h;
        h.options.BaseDir = h.game.Native(QStringLiteral("Game"));
        h.game.WriteClass(QStringLiteral("Game/Core"), QStringLiteral("Object.uc"), QStringLiteral("class Object;"));
        h.game.WriteClass(QStringLiteral("Outside"), QStringLiteral("Stray.uc"), QStringLiteral("class Stray;"));
        // What "." and ".." would reach.
        h.game.WriteText(QStringLiteral("Game/Classes/Dot.uc"), QStringLiteral("class Dot;"));
        h.game.WriteText(QStringLiteral("Classes/Up.uc"), QStringLiteral("class Up;"));
        h.game.WriteBytes(QStringLiteral("Game/System/Textures.u"), "KelvarinStandinPackage 1\npackage Textures\n");
        if (!directory.isEmpty())
            h.game.WriteClass(QStringLiteral("Game/") + directory, QStringLiteral("Own.uc"), QStringLiteral("class Own;"));
        h.model.ResetModel();
        QCOMPARE(h.PackageItems(), QStringList{"Core"});
        QVERIFY(!PackageLoader(h.model).LoadPackage(package, false));
        QCOMPARE(h.prompter.Texts(), QStringList{"Unable to find any source for " + package});
        QCOMPARE(h.prompter.shown[0].title, QStringLiteral("Kelvarin error"));
        QCOMPARE(h.prompter.shown[0].icon, MessageIcon::Error);
        QCOMPARE(DumpTree(h.model.Browser()), QStringList{"Classes"});
        QVERIFY(h.model.Bindings().IsEmpty());
    }

    void refreshListsNewDirectoriesAndRetriesWaitingClasses()
    {
        ModelHarness h;
        WritePackages(h.game, {QStringLiteral("Core"), QStringLiteral("MyMod")});
        h.model.ResetModel();
        PackageLoader loader(h.model);
        QVERIFY(loader.LoadPackage(QStringLiteral("MyMod"), false));
        QCOMPARE(h.model.Files().Count(), 1);
        WritePackages(h.game, {QStringLiteral("Engine")});
        // The parent reaches the tree by other means than loading its package.
        QVERIFY(Scanner::AttachClass(h.model, h.model.Browser(), QString(), QStringLiteral("Actor")));
        loader.RefreshModel();
        QCOMPARE(h.PackageItems(), (QStringList{"Core", "Engine", "MyMod"}));
        QVERIFY(h.model.Files().IsEmpty());
        QCOMPARE(DumpTree(h.model.Browser()), (QStringList{"Classes", "-Actor", "--MyActor"}));
        QCOMPARE(h.model.FindPackage(QStringLiteral("myactor")), QStringLiteral("MyMod"));
        QCOMPARE(h.statuses.last(), QStringLiteral("Done"));
    }

    // Read default packages (which drops whatever was loaded before and
    // reports the count) or a tick: the packages are ticked, and the last
    // compiled one keeps its image.
    void loadedByIniOrTick_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::newRow("read default packages") << false;
        QTest::newRow("ticked") << true;
    }

    void loadedByIniOrTick()
    {
        QFETCH(bool, tick);
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.game.WriteClass(QStringLiteral("Engine"), QStringLiteral("Info.uc"), QStringLiteral("class Info expands Actor;"));
        h.game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                         QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\n"));
        h.options.LastCompiledPackage = QStringLiteral("engine");
        h.model.ResetModel();
        h.model.Browser().Add(h.model.Browser().First(), QStringLiteral("Stale"));
        PackageLoader loader(h.model);
        if (!tick) {
            const QString report = loader.ReadDefaultPackages();
            const QRegularExpressionMatch match
                = QRegularExpression(QStringLiteral("^Load time: .*  (\\d+) classes loaded$")).match(report);
            QVERIFY2(match.hasMatch(), qPrintable(report));
            QCOMPARE(match.captured(1), QStringLiteral("3"));
            QCOMPARE(h.statuses.last(), report);
            QVERIFY(!h.model.FindNode(h.model.Browser(), QStringLiteral("Stale")));
        }
        for (const char *package : {"Core", "Engine"}) {
            const int row = h.model.Packages().IndexOf(QLatin1String(package));
            if (tick) {
                h.model.Packages().SetMark(row, PackageList::Mark::Checked);
                QVERIFY(loader.PackageTickChanged(row));
            }
            QCOMPARE(h.model.Packages().MarkAt(row), PackageList::Mark::Checked);
        }
        QCOMPARE(test::NodeAtPath(h.model.PackagesBrowser(), QStringLiteral("Packages/Core"))->ImageIndex(), 3);
        QCOMPARE(test::NodeAtPath(h.model.PackagesBrowser(), QStringLiteral("Packages/Engine"))->ImageIndex(), 5);
    }

    // Reading the default packages reads the sources of the next packages on
    // worker threads while the current one is resolved. Whatever the number of
    // workers, the model must come out as reading each package in turn makes it.
    void sameModelWithAnyNumberOfWorkers_data()
    {
        QTest::addColumn<QString>("editPackages");
        const QString core = "EditPackages=Core\r\n", engine = "EditPackages=Engine\r\n",
                      modA = "EditPackages=ModA\r\n", modB = "EditPackages=ModB\r\n", big = "EditPackages=Big\r\n",
                      fill = "EditPackages=Fill1\r\nEditPackages=Fill2\r\nEditPackages=Fill3\r\nEditPackages=Fill4\r\n";
        // With eight packages or more the workers start at once; with fewer,
        // once the packages read in turn held many sources (Big), or never.
        QTest::newRow("dependency order") << core + engine + fill + modA + modB + big;
        QTest::newRow("children first") << big + modB + modA + fill + engine + core;
        QTest::newRow("a package twice, another in lower case")
            << core + engine + fill + "EditPackages=moda\r\n" + modA + modB;
        QTest::newRow("workers start late, stop at a package without a directory")
            << core + big + engine + fill + "EditPackages=Missing\r\n" + modA;
        QTest::newRow("stops at a package without sources")
            << core + engine + fill + "EditPackages=OnlyUpper\r\n" + modA;
        QTest::newRow("one package") << core;
    }

    void sameModelWithAnyNumberOfWorkers()
    {
        QFETCH(QString, editPackages);
        QStringList expected;
        for (const int workers : {0, 1, 2, 4}) {
            ModelHarness h;
            WriteReadAheadGame(h, editPackages);
            PackageLoader loader(h.model);
            loader.SetReadAheadThreads(workers);
            loader.ReadDefaultPackages();
            const QStringList got = Snapshot(h);
            if (workers == 0) {
                expected = got;
                QVERIFY(h.model.ClassCount() > 0);
            } else {
                QCOMPARE(got, expected);
            }
        }
    }

    // A read that fails on a worker thread must not end the program: the
    // loading thread meets the failure when it takes that package, and the
    // packages after it are read as usual.
    void failedReadReachesTheLoadingThread()
    {
        QStringList dirs;
        for (int i = 0; i < int(SourceReadAhead::kManyPackages); ++i)
            dirs.append(QStringLiteral("P%1\\Classes\\").arg(i));
        const std::thread::id loading = std::this_thread::get_id();
        std::mutex mutex;
        bool failedOnWorker = false;
        std::atomic<bool> failed{false};
        SourceReadAhead ahead(dirs, 2, [&](const QString &dir, EventPump *) {
            Scanner::StagedSources sources;
            if (dir.startsWith(QLatin1String("P1\\"))) {
                std::lock_guard lock(mutex);
                failedOnWorker = std::this_thread::get_id() != loading;
                failed = true;
                throw KelvarinError(QStringLiteral("Cannot open file P1"));
            }
            sources.lines.append(QStringLiteral("Object=A&") + dir.section(QLatin1Char('\\'), 0, 0));
            return sources;
        });
        // Taken only once a worker has met the failure.
        QTRY_VERIFY_WITH_TIMEOUT(failed, 30000);
        kelvarin::test::ScriptedPump pump;
        QCOMPARE(ahead.Take(dirs.at(0), pump)->lines, QStringList{"Object=A&P0"});
        QCOMPARE(kelvarin::test::Raised([&] { ahead.Take(dirs.at(1), pump); }), QStringLiteral("Cannot open file P1"));
        {
            std::lock_guard lock(mutex);
            QVERIFY(failedOnWorker);
        }
        QCOMPARE(ahead.Take(dirs.at(2), pump)->lines, QStringList{"Object=A&P2"});
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestPackageLoader)
#include "tst_packageloader.moc"
