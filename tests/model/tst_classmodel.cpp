#include "model/ClassLocator.h"
#include "model/ClassModel.h"
#include "model/TextRules.h"
#include "model/TreeRemovalWatch.h"
#include "support/ModelHarness.h"

#include <QLocale>
#include <QSet>
#include <QThread>
#include <QtTest>

using namespace kelvarin;
using test::BuildTree;
using test::DumpTree;
using test::ModelHarness;
using test::NodeAtPath;

namespace {

QStringList ChildTexts(const TreeNode *node)
{
    QStringList texts;
    for (int row = 0; row < node->ChildCount(); ++row)
        texts.append(node->Child(row)->Text());
    return texts;
}

// Packages Alpha (classes Object, Beta, Gamma) and Beta (class Delta): the
// package Beta shares its name with a class of Alpha that comes first in
// the package tree.
void BuildLocatorGame(ModelHarness &h)
{
    BuildTree(h.model.Browser(), {"Classes", "-Object", "--Beta", "--Delta", "---Gamma"});
    BuildTree(h.model.PackagesBrowser(),
              {"Packages", "-Alpha", "--Object", "--Beta", "--Gamma", "-Beta", "--Delta"});
    for (const char *entry : {"Alpha&Object", "Alpha&Beta", "Alpha&Gamma", "Beta&Delta"})
        h.model.Bindings().Add(QLatin1String(entry));
}

} // namespace

class TestClassModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A large model's old nodes and entries are freed on a helper thread:
    // the model is just as empty at once.
    void resetGivesTwoRootsAndEmptyLists_data()
    {
        QTest::addColumn<int>("classes");
        QTest::newRow("small") << 1;
        QTest::newRow("large") << 1500;
    }

    void resetGivesTwoRootsAndEmptyLists()
    {
        QFETCH(int, classes);
        ModelHarness h;
        QStringList lines{"Classes", "-Object"};
        QStringList bindings{"Core&Object"};
        for (int i = 1; i < classes; ++i) {
            lines.append(QStringLiteral("--C%1").arg(i));
            bindings.append(QStringLiteral("Core&C%1").arg(i));
        }
        BuildTree(h.model.Browser(), lines);
        BuildTree(h.model.PackagesBrowser(), QStringList{"Packages", "-Core"} + lines.mid(1));
        h.model.Bindings().AddMany(bindings);
        h.model.Files().Add(QStringLiteral("Bar=Foo&Pkg"));
        h.model.Memo().valid = true;
        // The status reports what is loaded now, not what was before.
        QString status = QStringLiteral("1 classes loaded");
        h.model.SetStatusSink([&status](const QString &text) { status = text; });
        h.model.ResetModel();
        QCOMPARE(status, QStringLiteral("0 classes loaded"));
        for (Tree *tree : {&h.model.Browser(), &h.model.PackagesBrowser()}) {
            QCOMPARE(tree->Selected(), tree->First());
            QCOMPARE(tree->First()->ImageIndex(), 2);
        }
        QCOMPARE(DumpTree(h.model.Browser()) + DumpTree(h.model.PackagesBrowser()), (QStringList{"Classes", "Packages"}));
        QVERIFY(h.model.Bindings().IsEmpty() && h.model.Files().IsEmpty() && !h.model.Memo().valid);
        QVERIFY(!h.model.FindNode(h.model.Browser(), QStringLiteral("Object")));
        QVERIFY(!h.model.FindNode(h.model.PackagesBrowser(), QStringLiteral("Object")));
        // Only the new nodes are found, and reset again while the first
        // reset's nodes may still be going.
        BuildTree(h.model.Browser(), lines);
        QCOMPARE(h.model.FindNode(h.model.Browser(), QStringLiteral("Object")), h.model.Browser().First()->Child(0));
        h.model.ResetModel();
        QCOMPARE(DumpTree(h.model.Browser()), QStringList{"Classes"});
    }

    void findNode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expectedPath");
        QTest::newRow("lower case finds Object") << "object" << "Classes/Object";
        QTest::newRow("root text is never returned") << "Classes" << "";
        QTest::newRow("first in pre-order wins") << "FOO" << "Classes/Object/Actor/Foo";
        QTest::newRow("missing") << "Nothing" << "";
        QTest::newRow("leaf after a subtree") << "info" << "Classes/Object/Info";
        QTest::newRow("z in lower case") << "zone" << "Classes/Object/Zone";
    }

    void findNode()
    {
        QFETCH(QString, name);
        ModelHarness h;
        Tree &tree = h.model.Browser();
        BuildTree(tree, {"Classes", "-Object", "--Actor", "---Foo", "--foo", "--Info", "--Zone"});
        TreeNode *found = h.model.FindNode(tree, name);
        QString path;
        for (TreeNode *n = found; n; n = n->Parent())
            path = n->Text() + (path.isEmpty() ? QString() : QLatin1Char('/') + path);
        QTEST(path, "expectedPath");
        // The descendant form agrees with the tree form.
        QCOMPARE(h.model.FindNode(tree.First(), UpperCase(name)), found);
    }

    void findNodeFollowsOrderAfterSortAndRemoval()
    {
        ModelHarness h;
        Tree &tree = h.model.Browser();
        BuildTree(tree, {"Classes", "-B", "--Dup", "-A", "--Dup"});
        TreeNode *dupUnderB = tree.NodeAt(2);
        TreeNode *a = tree.NodeAt(3);
        QCOMPARE(h.model.FindNode(tree, QStringLiteral("dup")), dupUnderB);
        h.model.SortTrees();
        QCOMPARE(h.model.FindNode(tree, QStringLiteral("dup")), a->Child(0));
        tree.Remove(a);
        QCOMPARE(h.model.FindNode(tree, QStringLiteral("dup")), dupUnderB);
    }

    // Nothing that walks, unindexes or frees a subtree may recurse: a chain
    // of 100,000 classes is looked up, cut in the middle and reset, on a
    // thread with a small stack so that recursion would fail in any build.
    void veryDeepClassTree()
    {
        const int depth = 100000;
        QList<bool> checks;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            ModelHarness h;
            Tree &tree = h.model.Browser();
            TreeNode *deepest = tree.First();
            for (int level = 1; level <= depth; ++level)
                deepest = tree.Add(deepest, QStringLiteral("C%1").arg(level));
            checks << (deepest->Depth() == depth) << (h.model.FindNode(tree, QStringLiteral("c%1").arg(depth)) == deepest);
            tree.Select(deepest);
            bool covered = false;
            TreeRemovalWatch watch(
                tree, [&](TreeNode *first, TreeNode *last) { covered = TreeRemovalWatch::Covers(deepest, first, last); },
                nullptr);
            tree.Remove(h.model.FindNode(tree, QStringLiteral("C%1").arg(depth / 2)));
            checks << covered << (tree.Count() == depth / 2) << !tree.Selected();
            h.model.ResetModel();
            checks << (DumpTree(tree) == QStringList{"Classes"});
        }));
        thread->setStackSize(256 * 1024);
        thread->start();
        QVERIFY(thread->wait());
        QCOMPARE(checks, QList<bool>(6, true));
    }

    void findPackage_data()
    {
        QTest::addColumn<QStringList>("bindings");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("expected");
        const QStringList two{"MyMod&DeathMatchPlus", "Botpack&DeathMatchPlus"};
        QTest::newRow("first in list order") << two << "DeathMatchPlus" << "Botpack";
        QTest::newRow("any case") << two << "deathmatchplus" << "Botpack";
        QTest::newRow("unbound") << two << "Actor" << "? ? ?";
        QTest::newRow("prefix is not a match") << QStringList{"Engine&ActorX"} << "Actor" << "? ? ?";
        QTest::newRow("package keeps stored case") << QStringList{"botPACK&Foo"} << "FOO" << "botPACK";
        // A damaged bindings list must not hide the entries after the damage.
        QTest::newRow("empty entry skipped") << QStringList{"", "Engine&Actor"} << "Actor" << "Engine";
        QTest::newRow("ampersand first skipped") << QStringList{"&Actor", "Engine&Actor"} << "Actor" << "Engine";
        QTest::newRow("no ampersand skipped") << QStringList{"AAA", "Engine&Actor"} << "Actor" << "Engine";
    }

    void findPackage()
    {
        QFETCH(QStringList, bindings);
        QFETCH(QString, className);
        ModelHarness h;
        for (const QString &entry : bindings)
            h.model.Bindings().Add(entry);
        QTEST(h.model.FindPackage(className), "expected");
    }

    void addToPackageTree()
    {
        ModelHarness h;
        Tree &packages = h.model.PackagesBrowser();
        const auto add = [&](const char *package, bool merge, const char *name) {
            QVERIFY(h.model.AddToPackageTree(packages, QLatin1String(package), merge, QLatin1String(name)));
        };
        QVERIFY(!h.model.IsPackageLoaded(QStringLiteral("MyMod")));
        add("MyMod", false, "Foo");
        TreeNode *myMod = packages.First()->Child(0);
        QCOMPARE(packages.Selected(), myMod);   // a new package node is selected
        QVERIFY(h.model.IsPackageLoaded(QStringLiteral("mymod")));
        add("MYMOD", false, "__INTFILE__");
        add("MyMod", true, "__INTFILE__");   // merge: present already
        add("MyMod", true, "foo");
        add("MyMod", false, "__INTFILE__");  // no merge: a second node
        add("MyMod", true, "__INIFILE__");
        add("MyMod", false, "__intfile__");  // markers are exact: this is a class name
        // A node added by its text alone takes its image from the extension.
        for (const char *text : {"Painter", "Mini", "Other.INT", "Other.ini"})
            packages.Add(myMod, QLatin1String(text));
        QCOMPARE(DumpTree(packages), (QStringList{"Packages", "-MyMod", "--Foo", "--MYMOD.int", "--MyMod.int", "--MyMod.ini",
                                                  "--__intfile__", "--Painter", "--Mini", "--Other.INT", "--Other.ini"}));
        QList<int> images;
        for (TreeNode *n = packages.First(); n; n = Tree::Next(n))
            images.append(n->ImageIndex());
        QCOMPARE(images, (QList<int>{2, 3, 1, 4, 4, 6, 1, 1, 1, 4, 6}));
        // In the class tree every class keeps image 0.
        QCOMPARE(h.model.Browser().Add(h.model.Browser().First(), QStringLiteral("Other.int"))->ImageIndex(), 0);
    }

    void treeSortPutsFilesAfterClasses()
    {
        ModelHarness h;
        Tree &packages = h.model.PackagesBrowser();
        for (const char *name : {"__INTFILE__", "Gamma", "__INIFILE__", "beta", "Alpha"})
            h.model.AddToPackageTree(packages, QStringLiteral("MyMod"), false, QLatin1String(name));
        h.model.AddToPackageTree(packages, QStringLiteral("Core"), false, QStringLiteral("Object"));
        BuildTree(h.model.Browser(), {"Classes", "-Object", "--zeta", "--Actor"});
        h.model.SortTrees();
        QCOMPARE(ChildTexts(packages.First()), (QStringList{"Core", "MyMod"}));
        const QStringList children = ChildTexts(packages.First()->Child(1));
        QCOMPARE(children.mid(0, 3), (QStringList{"Alpha", "beta", "Gamma"}));
        QCOMPARE(QSet<QString>(children.begin() + 3, children.end()), (QSet<QString>{"MyMod.int", "MyMod.ini"}));
        QCOMPARE(DumpTree(h.model.Browser()), (QStringList{"Classes", "-Object", "--Actor", "--zeta"}));
    }

    void markLastCompiledPackage_data()
    {
        QTest::addColumn<QString>("last");
        QTest::addColumn<QList<int>>("images");
        QTest::newRow("any case") << "mymod" << QList<int>{3, 5};
        QTest::newRow("empty leaves images") << "" << QList<int>{5, 3};
        QTest::newRow("unknown package") << "Nothing" << QList<int>{3, 3};
    }

    void markLastCompiledPackage()
    {
        QFETCH(QString, last);
        ModelHarness h;
        Tree &packages = h.model.PackagesBrowser();
        TreeNode *core = packages.Add(packages.First(), QStringLiteral("Core"));
        TreeNode *myMod = packages.Add(packages.First(), QStringLiteral("MyMod"));
        packages.SetImageIndex(core, 5);
        h.options.LastCompiledPackage = last;
        h.model.MarkLastCompiledPackage();
        QTEST((QList<int>{core->ImageIndex(), myMod->ImageIndex()}), "images");
    }

    // A directory is a package when its Classes directory holds a "*.uc"
    // (in any case, a directory too); many are checked on helper threads. A
    // second listing keeps the marks and adds only new directories.
    void listPackageDirs()
    {
        ModelHarness h;
        QStringList expected;
        for (int i = 0; i < 90; ++i) {
            const QString name = QStringLiteral("Pkg%1").arg(i, 2, 10, QLatin1Char('0'));
            switch (i % 4) {
            case 0:
                h.game.WriteClass(name, QString::fromLatin1(i % 8 ? "C.uc" : "C.UC"), QStringLiteral("class C;"));
                expected.append(name);
                break;
            case 1:
                h.game.WriteText(name + QStringLiteral("/Classes/notes.txt"), QStringLiteral("x"));
                break;
            case 2:
                h.game.MakeDir(name + QStringLiteral("/Classes/Sub.uc"));
                expected.append(name);
                break;
            case 3:
                h.game.MakeDir(name + QStringLiteral("/Classes"));
                break;
            }
        }
        h.game.WriteText(QStringLiteral("File.uc"), QStringLiteral("x"));
        h.model.ResetModel();
        QCOMPARE(h.PackageItems(), expected);

        h.model.Packages().SetMark(0, PackageList::Mark::Checked);
        h.game.WriteClass(QStringLiteral("Pkg00a"), QStringLiteral("A.uc"), QStringLiteral("class A;"));
        h.model.ListPackageDirs();
        expected.insert(1, QStringLiteral("Pkg00a"));
        QCOMPARE(h.PackageItems(), expected);
        QCOMPARE(h.PackageItems(true), QStringList{"Pkg00"});
    }

    // The class locator finds a class's node in each tree, on the game of
    // BuildLocatorGame.
    void locate_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("classPath");     // empty: no node
        QTest::addColumn<QString>("packagePath");
        QTest::newRow("nested class") << "gamma" << "Classes/Object/Delta/Gamma" << "Packages/Alpha/Gamma";
        QTest::newRow("class named like a package") << "Beta" << "Classes/Object/Beta" << "Packages/Alpha/Beta";
        QTest::newRow("class of a later package") << "DELTA" << "Classes/Object/Delta" << "Packages/Beta/Delta";
        QTest::newRow("not loaded") << "Epsilon" << "" << "";
        QTest::newRow("the root is no class") << "Classes" << "" << "";
    }

    void locate()
    {
        QFETCH(QString, className);
        QFETCH(QString, classPath);
        QFETCH(QString, packagePath);
        ModelHarness h;
        BuildLocatorGame(h);
        const ClassLocator::Place place = ClassLocator(h.model).Locate(className);
        QCOMPARE(place.classNode, classPath.isEmpty() ? nullptr : NodeAtPath(h.model.Browser(), classPath));
        QCOMPARE(place.packageNode, packagePath.isEmpty() ? nullptr : NodeAtPath(h.model.PackagesBrowser(), packagePath));
        if (!classPath.isEmpty())
            QVERIFY(place.classNode && place.packageNode);
    }

    void locatePackageNode_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("path");
        QTest::newRow("package, not the class of that name") << "beta" << "Packages/Beta";
        QTest::newRow("first package") << "ALPHA" << "Packages/Alpha";
        QTest::newRow("a class is no package") << "Delta" << "";
        QTest::newRow("the root is no package") << "Packages" << "";
        QTest::newRow("unknown package") << "? ? ?" << "";
    }

    void locatePackageNode()
    {
        QFETCH(QString, package);
        QFETCH(QString, path);
        ModelHarness h;
        BuildLocatorGame(h);
        QCOMPARE(ClassLocator::PackageNode(h.model.PackagesBrowser(), package),
                 path.isEmpty() ? nullptr : NodeAtPath(h.model.PackagesBrowser(), path));
        Tree empty{Tree::Kind::PackageTree};
        QVERIFY(!ClassLocator::PackageNode(empty, package));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestClassModel)
#include "tst_classmodel.moc"
