#include "model/PackageLoader.h"
#include "model/Scanner.h"

#include "support/ModelHarness.h"

#include <QLocale>
#include <QRegularExpression>
#include <QtTest>

using namespace kelvarin;
using test::DumpTree;
using test::ModelHarness;

namespace {

// Core, Engine and MyMod form one hierarchy: Object <- Actor <- MyActor.
void WritePackages(const test::GameDir &game, const QStringList &packages)
{
    for (const QString &package : packages) {
        if (package == QLatin1String("Core"))
            game.WriteClass(package, QStringLiteral("Object.uc"), QStringLiteral("class Object;"));
        else if (package == QLatin1String("Engine"))
            game.WriteClass(package, QStringLiteral("Actor.uc"), QStringLiteral("class Actor expands Object;"));
        else if (package == QLatin1String("MyMod"))
            game.WriteClass(package, QStringLiteral("MyActor.uc"), QStringLiteral("class MyActor expands Actor;"));
    }
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

const QStringList kAll{QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("MyMod")};

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
        QTest::newRow("file order")
            << kAll << head + "EditPackages=Core\r\nEditPackages=Engine\r\nEditPackages=MyMod\r\n"
            << kAll << QStringList();
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
    }

    void readEditPackages()
    {
        QFETCH(QStringList, packages);
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, loaded);
        QFETCH(QStringList, messages);
        ModelHarness h;
        WritePackages(h.game, packages);
        h.game.WriteBytes(QStringLiteral("System/UnrealTournament.ini"), ini);
        h.model.ResetModel();
        PackageLoader(h.model).ReadEditPackages();

        QStringList order;
        for (const QString &s : h.StatusesStartingWith(QStringLiteral("Loading: ")))
            order.append(s.mid(9));
        QCOMPARE(order, loaded);
        QStringList ticked = loaded;
        ticked.sort(Qt::CaseInsensitive);
        QCOMPARE(h.PackageItems(true), ticked);
        QCOMPARE(h.prompter.Texts(), messages);
        for (const auto &shown : h.prompter.shown) {
            QCOMPARE(shown.title, QStringLiteral("Kelvarin"));
            QCOMPARE(shown.icon, MessageIcon::Error);
        }
        // Packages loaded before a failure stay loaded.
        QCOMPARE(h.model.FindPackage(QStringLiteral("Object")),
                 QString::fromLatin1(loaded.contains(QStringLiteral("Core")) ? "Core" : "? ? ?"));
    }

    void lowerCaseNameLoadsTheDirectory()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                         QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\nEditPackages=mymod\r\n"));
        h.model.ResetModel();
        PackageLoader(h.model).ReadEditPackages();
        QCOMPARE(h.PackageItems(true), kAll);
        QCOMPARE(DumpTree(h.model.PackagesBrowser()),
                 (QStringList{"Packages", "-Core", "--Object", "-Engine", "--Actor", "-mymod", "--MyActor"}));
        QCOMPARE(h.model.FindPackage(QStringLiteral("MyActor")), QStringLiteral("mymod"));
    }

    void packageListedTwiceIsLoadedTwice()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                         QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Core\r\n"));
        h.model.ResetModel();
        PackageLoader(h.model).ReadEditPackages();
        QCOMPARE(DumpTree(h.model.Browser()), (QStringList{"Classes", "-Object", "-Object"}));
        QCOMPARE(h.model.Bindings().Entries(), (QStringList{"Core&Object", "Core&Object"}));
    }

    void loadPackageWithoutSources()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        QVERIFY(!PackageLoader(h.model).LoadPackage(QStringLiteral("Textures"), false));
        QCOMPARE(h.prompter.shown.size(), 1);
        QCOMPARE(h.prompter.shown[0].text, QStringLiteral("Unable to find any source for Textures"));
        QCOMPARE(h.prompter.shown[0].title, QStringLiteral("Kelvarin error"));
        QCOMPARE(h.prompter.shown[0].icon, MessageIcon::Error);
        QCOMPARE(h.model.Browser().Count(), 1);
    }

    void childPackageWaitsForItsParent()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.game.WriteText(QStringLiteral("System/Engine.int"), QStringLiteral("[Public]\r\n"));
        PackageLoader loader(h.model);
        QVERIFY(loader.LoadPackage(QStringLiteral("MyMod"), false));
        QVERIFY(loader.LoadPackage(QStringLiteral("Engine"), false));
        QCOMPARE(h.model.Files().Count(), 2);
        QCOMPARE(DumpTree(h.model.Browser()), QStringList{"Classes"});
        QVERIFY(h.model.Bindings().IsEmpty());
        // The file node comes with the package even though no class attached.
        QCOMPARE(DumpTree(h.model.PackagesBrowser()),
                 (QStringList{"Packages", "-Engine", "--Engine.int"}));

        QVERIFY(loader.LoadPackage(QStringLiteral("Core"), false));
        QVERIFY(h.model.Files().IsEmpty());
        QCOMPARE(DumpTree(h.model.Browser()),
                 (QStringList{"Classes", "-Object", "--Actor", "---MyActor"}));
        QCOMPARE(h.model.FindPackage(QStringLiteral("MyActor")), QStringLiteral("MyMod"));
        QCOMPARE(DumpTree(h.model.PackagesBrowser()),
                 (QStringList{"Packages", "-Core", "--Object", "-Engine", "--Actor", "--Engine.int",
                              "-MyMod", "--MyActor"}));
    }

    void scannerStagesOnlyExactUcFiles()
    {
        ModelHarness h;
        h.game.WriteClass(QStringLiteral("Pkg"), QStringLiteral("Foo.uc"), QStringLiteral("class Foo expands Bar;"));
        h.game.WriteClass(QStringLiteral("Pkg"), QStringLiteral("Baz.uc"), QStringLiteral("class Foo extends Bar;"));
        h.game.WriteClass(QStringLiteral("Pkg"), QStringLiteral("Upper.UC"), QStringLiteral("class Upper expands Bar;"));
        h.game.WriteText(QStringLiteral("System/Pkg.int"), QStringLiteral("x"));
        h.game.WriteText(QStringLiteral("System/Pkg.ini"), QStringLiteral("x"));
        h.model.ResetModel();
        PackageLoader loader(h.model);
        QVERIFY(loader.LoadPackage(QStringLiteral("Pkg"), false));
        QCOMPARE(h.model.Files().Entries(), (QStringList{"Bar=Baz&Pkg", "Bar=Foo&Pkg"}));
        QCOMPARE(DumpTree(h.model.Browser()), QStringList{"Classes"});
        QCOMPARE(h.model.PackagesBrowser().First()->Child(0)->ChildCount(), 2);
        QVERIFY(!h.model.FindNode(h.model.PackagesBrowser(), QStringLiteral("Foo")));
    }

    void mergeAddsNothingForALoadedPackage()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.game.WriteText(QStringLiteral("System/Core.int"), QStringLiteral("x"));
        PackageLoader loader(h.model);
        QVERIFY(loader.LoadPackage(QStringLiteral("Core"), false));
        QVERIFY(loader.LoadPackage(QStringLiteral("Engine"), false));
        const QStringList classes = DumpTree(h.model.Browser());
        const QStringList packages = DumpTree(h.model.PackagesBrowser());
        QVERIFY(loader.LoadPackage(QStringLiteral("Core"), true));
        QCOMPARE(DumpTree(h.model.Browser()), classes);
        QCOMPARE(DumpTree(h.model.PackagesBrowser()), packages);
        QCOMPARE(h.model.Bindings().Count(), 2);
    }

    void parentLookupsPerDistinctParent_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::newRow("parent in the tree") << "Object";
        QTest::newRow("parent never loaded") << "Missing";
    }

    void parentLookupsPerDistinctParent()
    {
        QFETCH(QString, parent);
        ModelHarness h;
        WritePackages(h.game, {QStringLiteral("Core")});
        for (const char *name : {"A", "B", "C", "D"})
            h.game.WriteClass(QStringLiteral("Pkg"), QLatin1String(name) + QLatin1String(".uc"),
                              QStringLiteral("class %1 expands %2;").arg(QLatin1String(name), parent));
        h.model.ResetModel();
        PackageLoader loader(h.model);
        QVERIFY(loader.LoadPackage(QStringLiteral("Core"), false));
        h.statuses.clear();
        QVERIFY(loader.LoadPackage(QStringLiteral("Pkg"), false));
        QCOMPARE(h.StatusesStartingWith(QStringLiteral("Processing: ")),
                 QStringList{QStringLiteral("Processing: ") + parent});
    }

    void selectionAfterLoad()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        PackageLoader loader(h.model);
        Tree &browser = h.model.Browser();
        QCOMPARE(browser.Selected(), browser.First());
        QVERIFY(loader.LoadPackage(QStringLiteral("Core"), false));
        QCOMPARE(browser.Selected()->Text(), QStringLiteral("Object"));
        // Any other selection stays.
        QVERIFY(loader.LoadPackage(QStringLiteral("Engine"), false));
        QCOMPARE(browser.Selected()->Text(), QStringLiteral("Object"));
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

    void readDefaultPackagesReport()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.game.WriteClass(QStringLiteral("Engine"), QStringLiteral("Info.uc"), QStringLiteral("class Info expands Actor;"));
        h.game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                         QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\nEditPackages=MyMod\r\n"));
        // Whatever was loaded before is dropped first.
        h.model.Browser().Add(h.model.Browser().First(), QStringLiteral("Stale"));
        const QString report = PackageLoader(h.model).ReadDefaultPackages();
        const QRegularExpression form(QStringLiteral("^Load time: .*  (\\d+) classes loaded$"));
        const QRegularExpressionMatch match = form.match(report);
        QVERIFY2(match.hasMatch(), qPrintable(report));
        QCOMPARE(match.captured(1), QStringLiteral("4"));
        QCOMPARE(h.statuses.last(), report);
        QVERIFY(!h.model.FindNode(h.model.Browser(), QStringLiteral("Stale")));
    }

    void noConfigurationLoadsNothing()
    {
        ModelHarness h;
        WritePackages(h.game, kAll);
        h.model.ResetModel();
        const QString report = PackageLoader(h.model).ReadDefaultPackages();
        QVERIFY(report.endsWith(QLatin1String("  0 classes loaded")));
        QVERIFY(h.prompter.shown.isEmpty());
        QVERIFY(h.PackageItems(true).isEmpty());
        QCOMPARE(h.PackageItems().size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestPackageLoader)
#include "tst_packageloader.moc"
