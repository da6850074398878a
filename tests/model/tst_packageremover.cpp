#include "model/PackageLoader.h"
#include "model/PackageRemover.h"

#include "support/ModelHarness.h"

#include <QDir>
#include <QLocale>
#include <QtTest>

using namespace kelvarin;
using test::BuildTree;
using test::DumpTree;
using test::ModelHarness;
using test::NodeAtPath;

namespace {

// Core: Object. MyPkg: Base and Sub (Sub expands Base), Leaf; System/MyPkg.int.
// Other: Far expands Base.
void LoadGame(ModelHarness &h, bool withOther = false)
{
    h.game.WriteText(QStringLiteral("System/MyPkg.int"), QStringLiteral("[Public]\r\n"));
    h.Load({"Core/Object.uc:class Object;", "MyPkg/Base.uc:class Base expands Object;",
            "MyPkg/Sub.uc:class Sub expands Base;", "MyPkg/Leaf.uc:class Leaf expands Object;",
            "Other/Far.uc:class Far expands Base;"},
           withOther ? QStringList{"Core", "MyPkg", "Other"} : QStringList{"Core", "MyPkg"});
}

// The files of the game LoadGame writes, with MyPkg's Zed.uc.
const QStringList kFiles{"Core/Classes/Object.uc", "MyPkg/Classes/Base.uc", "MyPkg/Classes/Leaf.uc",
                         "MyPkg/Classes/Sub.uc", "MyPkg/Classes/Zed.uc", "System/MyPkg.int"};

// The class tree, then the package tree, for checking what a step changed.
QStringList Trees(ModelHarness &h)
{
    return DumpTree(h.model.Browser()) + DumpTree(h.model.PackagesBrowser());
}

} // namespace

class TestPackageRemover : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void listPackageClasses_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain") << "Pkg" << QStringList{"A", "D", "E"};
        QTest::newRow("any case") << "pKG" << QStringList{"A", "D", "E"};
        QTest::newRow("underscore") << "Pkg_1" << QStringList{"B", "G"};
        QTest::newRow("digit") << "pkg1" << QStringList{"C"};
        QTest::newRow("short name") << "Pk" << QStringList{"J"};
        QTest::newRow("prefix only") << "P" << QStringList();
        QTest::newRow("empty") << "" << QStringList();
    }

    void listPackageClasses()
    {
        QFETCH(QString, package);
        ModelHarness h;
        // Names where "_", digits and "&" make the list's order differ from a
        // comparison of the package names alone.
        for (const char *entry : {"Pkg&A", "Pkg_1&B", "Pkg1&C", "Pkg&D", "PKG&E", "Pkg2&F", "Pkg_1&G",
                                  "Pkg_&H", "Pkg0&I", "Pk&J", "Pkg_10&K"})
            h.model.Bindings().Add(QLatin1String(entry));
        QStringList found = PackageRemover(h.model).ListPackageClasses(package);
        found.sort();
        QTEST(found, "expected");
    }

    void unloadPackage_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("withOther");
        QTest::addColumn<QString>("lastStatus");
        QTest::addColumn<QStringList>("classesAfter");   // empty: refused, nothing changes
        QTest::newRow("class with subclass") << "mypkg" << false << "mypkg has been removed from the trees"
                                             << QStringList{"Classes", "-Object"};
        QTest::newRow("subclass in another package") << "MyPkg" << true << "MyPkg could not be removed from the trees"
                                                     << QStringList();
        QTest::newRow("dependent package goes alone") << "Other" << true << "Other has been removed from the trees"
                                                      << QStringList{"Classes", "-Object", "--Base", "---Sub", "--Leaf"};
        QTest::newRow("nothing attached") << "Waiting" << false << "Checking removal of Waiting" << QStringList();
    }

    void unloadPackage()
    {
        QFETCH(QString, package);
        QFETCH(bool, withOther);
        QFETCH(QStringList, classesAfter);
        ModelHarness h;
        h.game.WriteClass(QStringLiteral("Waiting"), QStringLiteral("W.uc"), QStringLiteral("class W expands Nowhere;"));
        LoadGame(h, withOther);
        QVERIFY(PackageLoader(h.model).LoadPackage(QStringLiteral("Waiting"), false));
        const QStringList before = Trees(h) + h.model.Bindings().Entries();

        PackageRemover remover(h.model);
        const bool removed = !classesAfter.isEmpty();
        QCOMPARE(remover.UnloadPackage(package), removed);
        QTEST(h.statuses.last(), "lastStatus");
        QVERIFY(h.prompter.shown.isEmpty());
        QCOMPARE(h.model.Files().Count(), 1);
        if (removed) {
            QCOMPARE(DumpTree(h.model.Browser()), classesAfter);
            QVERIFY(remover.ListPackageClasses(package).isEmpty());
            QVERIFY(!h.model.IsPackageLoaded(package));
            // The item stays in the package list; ticking it again loads it anew.
            const int item = h.model.Packages().IndexOf(package);
            QVERIFY(item >= 0);
            QVERIFY(PackageLoader(h.model).LoadPackage(h.model.Packages().Text(item), false));
        }
        QCOMPARE(Trees(h) + h.model.Bindings().Entries(), before);
    }

    // Loading MyPkg leaves Base as the last parent looked up; once Base is
    // gone, Other's class Far must wait for it instead of finding it.
    void parentGoneWhileRemembered_data()
    {
        QTest::addColumn<bool>("untick");
        QTest::addColumn<QStringList>("classesAfter");
        QTest::newRow("package unticked") << true << QStringList{"Classes", "-Object"};
        QTest::newRow("classes deleted") << false << QStringList{"Classes", "-Object", "--Leaf"};
    }

    void parentGoneWhileRemembered()
    {
        QFETCH(bool, untick);
        ModelHarness h;
        LoadGame(h);
        PackageLoader loader(h.model);
        if (untick) {
            const int row = h.model.Packages().IndexOf(QStringLiteral("MyPkg"));
            h.model.Packages().SetMark(row, PackageList::Mark::Unchecked);
            QVERIFY(loader.PackageTickChanged(row));
        } else {
            for (const char *name : {"Sub", "Base"})
                QVERIFY(PackageRemover(h.model).RemoveNode(h.model.FindNode(h.model.Browser(), QLatin1String(name)), false));
        }
        QVERIFY(loader.LoadPackage(QStringLiteral("Other"), false));
        QCOMPARE(h.model.Files().Entries(), QStringList{"Base=Far&Other"});
        QTEST(DumpTree(h.model.Browser()), "classesAfter");
    }

    // The locale upper-cases "ß" to "SS"; the model's comparisons keep the length.
    // Deleting the package empties it: its directories go too.
    void namesLongerWhenUpperCased_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("classesAfter");
        QTest::addColumn<QStringList>("filesLeft");
        QTest::newRow("unloaded") << "unload" << QStringList{"Classes", "-Object"} << QStringList{"Gate.uc", "Maß.uc"};
        QTest::newRow("class deleted") << "class" << QStringList{"Classes", "-Object", "--Gate"} << QStringList{"Gate.uc"};
        QTest::newRow("package deleted") << "package" << QStringList{"Classes", "-Object"} << QStringList();
    }

    void namesLongerWhenUpperCased()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, filesLeft);
        ModelHarness h;
        h.Load({"Core/Object.uc:class Object;", "Straße/Gate.uc:class Gate expands Object;"}, {"Core", "Straße"});
        // A class named so, as a state file can hold it.
        h.game.WriteClass(QStringLiteral("Straße"), QStringLiteral("Maß.uc"), QStringLiteral("class Maß expands Object;"));
        h.model.Browser().Add(h.model.FindNode(h.model.Browser(), QStringLiteral("Object")), QStringLiteral("Maß"));
        h.model.AddToPackageTree(h.model.PackagesBrowser(), QStringLiteral("STRAßE"), false, QStringLiteral("Maß"));
        h.model.Bindings().Add(QStringLiteral("Straße&Maß"));
        QCOMPARE(h.model.FindPackage(QStringLiteral("MAß")), QStringLiteral("Straße"));

        PackageRemover remover(h.model);
        if (how == QLatin1String("unload"))
            QVERIFY(remover.UnloadPackage(QStringLiteral("STRAßE")));
        else if (how == QLatin1String("class"))
            QVERIFY(remover.RemoveNode(h.model.FindNode(h.model.Browser(), QStringLiteral("maß")), false));
        else
            QVERIFY(remover.RemoveNode(h.model.FindNode(h.model.PackagesBrowser(), QStringLiteral("straße")), false));
        QCOMPARE(h.prompter.shown.size(), how == QLatin1String("package") ? 1 : 0);
        QTEST(DumpTree(h.model.Browser()), "classesAfter");
        QCOMPARE(h.model.IsPackageLoaded(QStringLiteral("straße")), how == QLatin1String("class"));
        QCOMPARE(QDir(h.game.Native(QStringLiteral("Straße/Classes"))).entryList(QDir::Files, QDir::Name), filesLeft);
        QCOMPARE(h.game.Exists(QStringLiteral("Straße")), !filesLeft.isEmpty());
        QVERIFY(h.game.Exists(QStringLiteral("Core/Classes/Object.uc")));
    }

    void unloadWithoutPackageNode()
    {
        ModelHarness h;
        BuildTree(h.model.Browser(), {"Classes", "-Object", "--Actor", "-Orphan"});
        BuildTree(h.model.PackagesBrowser(), {"Packages", "-Engine", "--Orphan"});
        h.model.Bindings().Add(QStringLiteral("Core&Object"));
        h.model.Bindings().Add(QStringLiteral("Core&Actor"));
        h.model.Bindings().Add(QStringLiteral("Engine&Orphan"));
        QVERIFY(PackageRemover(h.model).UnloadPackage(QStringLiteral("Core")));
        QCOMPARE(DumpTree(h.model.Browser()), (QStringList{"Classes", "-Orphan"}));
        QCOMPARE(DumpTree(h.model.PackagesBrowser()), (QStringList{"Packages", "-Engine", "--Orphan"}));
        QCOMPARE(h.model.Bindings().Entries(), QStringList{"Engine&Orphan"});
        QVERIFY(h.prompter.shown.isEmpty());
    }

    void removePackage_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("refusals");        // shown after the question
        QTest::addColumn<QStringList>("filesLeft");
        QTest::addColumn<QStringList>("packageTree");     // empty: as before
        QTest::addColumn<QStringList>("items");
        const QString children = QStringLiteral("I'm sorry, but class'%1' has children\r\nand therefore it can't be removed.");
        // Zed expands Sub expands Base: Base and Sub still have a subclass
        // when their turn comes; they stay, with their files, and say so.
        QTest::newRow("yes") << "MyPkg" << true << QStringList{children.arg("Base"), children.arg("Sub")}
                             << QStringList{kFiles[0], kFiles[1], kFiles[3], kFiles[5]} << QStringList{"Packages", "-Core", "--Object"}
                             << QStringList{"Core", "Other"};
        QTest::newRow("no") << "MyPkg" << false << QStringList() << kFiles << QStringList()
                            << QStringList{"Core", "MyPkg", "Other"};
        QTest::newRow("every class refused: the package stays")
            << "Core" << true << QStringList{children.arg("Object")} << kFiles << QStringList()
            << QStringList{"Core", "MyPkg", "Other"};
    }

    void removePackage()
    {
        QFETCH(QString, package);
        QFETCH(bool, yes);
        QFETCH(QStringList, refusals);
        QFETCH(QStringList, packageTree);
        ModelHarness h;
        h.game.WriteClass(QStringLiteral("MyPkg"), QStringLiteral("Zed.uc"), QStringLiteral("class Zed expands Sub;"));
        LoadGame(h);
        h.prompter.answers = {yes ? MessageAnswer::Yes : MessageAnswer::No};
        h.prompter.defaultYes = false;
        TreeNode *node = NodeAtPath(h.model.PackagesBrowser(), QStringLiteral("Packages/") + package);
        QVERIFY(node);
        if (packageTree.isEmpty())
            packageTree = DumpTree(h.model.PackagesBrowser());

        QCOMPARE(PackageRemover(h.model).RemoveNode(node, true), yes);
        // No class is asked about.
        QCOMPARE(h.prompter.Texts(), QStringList{"Are you sure you want to remove package \"" + package
                                                 + "\"?\r\nThis can't be reversed!"} + refusals);
        QCOMPARE(h.prompter.shown[0].buttons, MessageButtons::YesNo);
        QStringList left;
        for (const QString &path : kFiles) {
            if (h.game.Exists(path))
                left.append(path);
            // A class stays in the class tree exactly when its file stays.
            if (path.endsWith(QLatin1String(".uc")))
                QCOMPARE(bool(h.model.FindNode(h.model.Browser(), path.section('/', 2).chopped(3))), h.game.Exists(path));
        }
        QTEST(left, "filesLeft");
        QCOMPARE(DumpTree(h.model.PackagesBrowser()), packageTree);
        QTEST(h.PackageItems(), "items");
    }

    void removeClassNode_data()
    {
        QTest::addColumn<QString>("path");   // "Classes/..." or "Packages/..."
        QTest::addColumn<QString>("answer");  // to the question; empty: not asked
        QTest::addColumn<bool>("deleteFile");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("message");   // %1: the native path of Leaf.uc
        // Removed rows take the class alone out of both trees; file nodes
        // are passed over.
        const QString question = "Are you sure you want to remove class'MyPkg.Leaf'?\r\nThis can't be reversed!";
        QTest::newRow("int file node") << "Packages/MyPkg/MyPkg.int" << "" << false << true << "";
        QTest::newRow("ini file node") << "Packages/MyPkg/MyPkg.ini" << "" << false << true << "";
        QTest::newRow("not in class tree") << "Packages/MyPkg/Ghost" << "" << false << false
            << "I'm sorry, but class'Ghost' can't be found\r\nand therefore it can't be removed.";
        QTest::newRow("has children") << "Classes/Object/Base" << "" << false << false
            << "I'm sorry, but class'Base' has children\r\nand therefore it can't be removed.";
        QTest::newRow("no package bound") << "Classes/Object/Stray" << "" << false << false
            << "I'm sorry, but the package in which class'Stray' resides can't be\r\nfound and therefore the class can't be removed.";
        QTest::newRow("file missing") << "Packages/MyPkg/Leaf" << "" << true << false
            << "I'm sorry, but the file %1 can't be foundand therefore can't be removed.";
        QTest::newRow("leaf from the class tree") << "Classes/Object/Leaf" << "" << false << true << "";
        QTest::newRow("leaf from the package tree") << "Packages/MyPkg/Leaf" << "" << false << true << "";
        QTest::newRow("asked, Yes") << "Classes/Object/Leaf" << "Yes" << false << true << question;
        QTest::newRow("asked, No") << "Classes/Object/Leaf" << "No" << false << false << question;
        // Not the package node of the same name.
        QTest::newRow("class named like its package") << "Classes/Object/MyPkg" << "" << false << true << "";
    }

    void removeClassNode()
    {
        QFETCH(QString, path);
        QFETCH(QString, answer);
        QFETCH(bool, deleteFile);
        QFETCH(bool, result);
        QFETCH(QString, message);
        ModelHarness h;
        h.game.WriteClass(QStringLiteral("MyPkg"), QStringLiteral("MyPkg.uc"), QStringLiteral("class MyPkg expands Object;"));
        LoadGame(h);
        for (const char *name : {"Ghost", "MyPkg.ini"})
            h.model.PackagesBrowser().Add(NodeAtPath(h.model.PackagesBrowser(), QStringLiteral("Packages/MyPkg")),
                                          QLatin1String(name));
        h.model.Browser().Add(NodeAtPath(h.model.Browser(), QStringLiteral("Classes/Object")), QStringLiteral("Stray"));
        h.prompter.defaultYes = answer == QLatin1String("Yes");
        if (deleteFile)
            QVERIFY(QFile::remove(h.game.Native(QStringLiteral("MyPkg/Classes/Leaf.uc"))));
        QStringList before = Trees(h);
        Tree &tree = path.startsWith(QLatin1String("Classes")) ? h.model.Browser() : h.model.PackagesBrowser();
        TreeNode *node = NodeAtPath(tree, path);
        QVERIFY(node);

        QCOMPARE(PackageRemover(h.model).RemoveNode(node, !answer.isEmpty()), result);
        if (message.isEmpty()) {
            QVERIFY(h.prompter.shown.isEmpty());
        } else {
            QCOMPARE(h.prompter.Texts(),
                     QStringList{message.arg(QDir::toNativeSeparators(h.game.Native(QStringLiteral("MyPkg/Classes/Leaf.uc"))))});
            QCOMPARE(h.prompter.shown[0].icon, answer.isEmpty() ? MessageIcon::Error : MessageIcon::Warning);
        }
        // A removed class leaves both trees; nothing else in them changes.
        const QString removed = result && !path.contains(QLatin1Char('.')) ? path.section('/', -1) : QString();
        before.removeAll("--" + removed);
        QCOMPARE(h.game.Exists(QStringLiteral("MyPkg/Classes/Leaf.uc")), removed != QLatin1String("Leaf") && !deleteFile);
        QCOMPARE(h.game.Exists(QStringLiteral("MyPkg/Classes/MyPkg.uc")), removed != QLatin1String("MyPkg"));
        QCOMPARE(Trees(h), before);
    }

    // PkgA and PkgB each have a class Util, with different parents.
    void sameClassNameInTwoPackages_data()
    {
        QTest::addColumn<bool>("packageTree");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QStringList>("classTree");
        const QStringList withoutB{"Classes", "-Object", "--Actor", "--Util"};
        const QStringList withoutA{"Classes", "-Object", "--Actor", "---Util"};
        QTest::newRow("package B") << true << "Packages/PkgB" << "PkgB" << withoutB;
        QTest::newRow("B's class in the package tree") << true << "Packages/PkgB/Util" << "PkgB" << withoutB;
        QTest::newRow("A's class in the package tree") << true << "Packages/PkgA/Util" << "PkgA" << withoutA;
        QTest::newRow("B's class in the class tree") << false << "Classes/Object/Actor/Util" << "PkgB" << withoutB;
        QTest::newRow("A's class in the class tree") << false << "Classes/Object/Util" << "PkgA" << withoutA;
    }

    void sameClassNameInTwoPackages()
    {
        QFETCH(bool, packageTree);
        QFETCH(QString, path);
        QFETCH(QString, deleted);
        ModelHarness h;
        h.Load({"Core/Object.uc:class Object;", "Core/Actor.uc:class Actor expands Object;",
                "PkgA/Util.uc:class Util expands Object;", "PkgB/Util.uc:class Util expands Actor;"},
               {"Core", "PkgA", "PkgB"});
        h.model.SortTrees();

        TreeNode *node = NodeAtPath(packageTree ? h.model.PackagesBrowser() : h.model.Browser(), path);
        QVERIFY(node);
        QVERIFY(PackageRemover(h.model).RemoveNode(node, false));
        const QString kept = deleted == QLatin1String("PkgA") ? QStringLiteral("PkgB") : QStringLiteral("PkgA");
        QVERIFY(!h.game.Exists(deleted + QStringLiteral("/Classes/Util.uc")));
        QVERIFY(h.game.Exists(kept + QStringLiteral("/Classes/Util.uc")));
        QTEST(DumpTree(h.model.Browser()), "classTree");
        QVERIFY(NodeAtPath(h.model.PackagesBrowser(), QStringLiteral("Packages/") + kept + QStringLiteral("/Util")));
    }

    void namesLeadingOutsideTheGameAreNeverDeleted_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("className");
        QTest::newRow("parent") << ".." << "Victim";
        QTest::newRow("slash") << "Sub/../.." << "Victim";
        QTest::newRow("backslash") << "..\\Outside" << "Victim";
        QTest::newRow("empty directories") << "../Empty" << "Victim";
        QTest::newRow("class climbing out") << "Mod" << "..\\..\\..\\Victim";
        QTest::newRow("class with slashes") << "Mod" << "../../../Victim";
    }

    void namesLeadingOutsideTheGameAreNeverDeleted()
    {
        QFETCH(QString, package);
        QFETCH(QString, className);
        ModelHarness h;
        // The game lives in Game/; a victim file sits where each name would lead.
        h.options.BaseDir = h.game.Native(QStringLiteral("Game"));
        h.game.MakeDir(QStringLiteral("Game/Sub"));
        h.game.MakeDir(QStringLiteral("Game/Mod/Classes"));
        const QStringList victims{QStringLiteral("Classes/Victim.uc"), QStringLiteral("Outside/Classes/Victim.uc"),
                                  QStringLiteral("Victim.uc")};
        for (const QString &victim : victims)
            h.game.WriteText(victim, QStringLiteral("class Victim;"));
        h.game.MakeDir(QStringLiteral("Empty/Classes"));
        h.model.ResetModel();
        BuildTree(h.model.Browser(), {"Classes", "-" + className});
        // The file node lets the package removal go on to the directories.
        BuildTree(h.model.PackagesBrowser(),
                  {"Packages", QLatin1Char('-') + package, "--" + className, "--" + package + ".int"});
        h.model.Bindings().Add(package + QLatin1Char('&') + className);

        PackageRemover remover(h.model);
        QVERIFY(!remover.RemoveNode(h.model.Browser().First()->Child(0), false));
        QCOMPARE(h.prompter.Texts(), QStringList{"The class '" + package + "." + className + "' names a file outside "
                                                 "the game directory;\r\nnothing was removed."});
        QVERIFY(remover.RemoveNode(h.model.PackagesBrowser().First()->Child(0), true));
        for (const QString &victim : victims)
            QVERIFY2(h.game.Exists(victim), qPrintable(victim));
        QVERIFY(h.game.Exists(QStringLiteral("Game/Sub")));
        QVERIFY(h.game.Exists(QStringLiteral("Empty/Classes")));
        QCOMPARE(DumpTree(h.model.Browser()), (QStringList{"Classes", "-" + className}));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestPackageRemover)
#include "tst_packageremover.moc"
