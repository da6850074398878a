#include "model/ClassModel.h"
#include "model/TextRules.h"
#include "persist/Options.h"
#include "platform/EventPump.h"
#include "support/GameDir.h"
#include "support/ScriptedPrompter.h"

#include <QLocale>
#include <QtTest>

using namespace kelvarin;

namespace {

// Builds a tree from lines "depth text" ("0 Classes", "1 Object", ...).
void Build(Tree &tree, const QStringList &lines)
{
    std::vector<TreeNode *> stack;
    for (const QString &line : lines) {
        const int depth = line.section(QLatin1Char(' '), 0, 0).toInt();
        const QString text = line.section(QLatin1Char(' '), 1);
        stack.resize(size_t(depth));
        TreeNode *node = tree.Add(depth ? stack.back() : nullptr, text);
        stack.push_back(node);
    }
}

QStringList Dump(const Tree &tree)
{
    QStringList lines;
    for (TreeNode *n = tree.First(); n; n = Tree::Next(n))
        lines.append(QString(n->Depth(), QLatin1Char('-')) + n->Text());
    return lines;
}

} // namespace

class TestClassModel : public QObject
{
    Q_OBJECT

private:
    TOptions m_options;
    NullEventPump m_pump;
    test::ScriptedPrompter m_prompter;
    std::unique_ptr<ClassModel> m_model;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init()
    {
        m_options = TOptions();
        m_options.BaseDir = QStringLiteral("/nonexistent-kelvarin-base");
        m_pump.SetTerminating(false);
        m_model = std::make_unique<ClassModel>(m_options, m_pump, m_prompter);
        m_model->ResetModel();
    }

    void resetGivesTwoRootsAndEmptyLists()
    {
        Build(m_model->Browser(), {QStringLiteral("1 Object")} );
        m_model->Bindings().Add(QStringLiteral("Core&Object"));
        m_model->Files().Add(QStringLiteral("Bar=Foo&Pkg"));
        m_model->Memo().valid = true;
        m_model->ResetModel();
        QCOMPARE(Dump(m_model->Browser()), QStringList{QStringLiteral("Classes")});
        QCOMPARE(Dump(m_model->PackagesBrowser()), QStringList{QStringLiteral("Packages")});
        QCOMPARE(m_model->Browser().Selected(), m_model->Browser().First());
        QCOMPARE(m_model->PackagesBrowser().Selected(), m_model->PackagesBrowser().First());
        QCOMPARE(m_model->Browser().First()->ImageIndex(), 2);
        QCOMPARE(m_model->PackagesBrowser().First()->ImageIndex(), 2);
        QVERIFY(m_model->Bindings().IsEmpty());
        QVERIFY(m_model->Files().IsEmpty());
        QCOMPARE(m_model->Packages().Count(), 0);   // base directory does not exist
        QVERIFY(!m_model->Memo().valid);
        QCOMPARE(m_model->ClassCount(), 0);
    }

    void findNode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expectedPath");
        // Tree: Classes / Object / Actor / Foo(1) ; Object / Foo(2) ; Object / Info
        QTest::newRow("lower case finds Object") << "object" << "Classes/Object";
        QTest::newRow("root text is never returned") << "Classes" << "";
        QTest::newRow("first in pre-order wins") << "FOO" << "Classes/Object/Actor/Foo";
        QTest::newRow("missing") << "Nothing" << "";
        QTest::newRow("leaf after a subtree") << "info" << "Classes/Object/Info";
    }

    void findNode()
    {
        QFETCH(QString, name);
        QFETCH(QString, expectedPath);
        Tree &tree = m_model->Browser();
        TreeNode *object = tree.Add(tree.First(), QStringLiteral("Object"));
        TreeNode *actor = tree.Add(object, QStringLiteral("Actor"));
        tree.Add(actor, QStringLiteral("Foo"));
        tree.Add(object, QStringLiteral("foo"));
        tree.Add(object, QStringLiteral("Info"));
        // A node named like the root below it is found as usual.
        TreeNode *found = m_model->FindNode(tree, name);
        QString path;
        for (TreeNode *n = found; n; n = n->Parent())
            path = n->Text() + (path.isEmpty() ? QString() : QLatin1Char('/') + path);
        QCOMPARE(path, expectedPath);
        // The descendant form agrees with the tree form.
        QCOMPARE(m_model->FindNode(tree.First(), UpperCase(name)), found);
    }

    void findNodeFollowsOrderAfterSortAndRemoval()
    {
        Tree &tree = m_model->Browser();
        TreeNode *b = tree.Add(tree.First(), QStringLiteral("B"));
        TreeNode *a = tree.Add(tree.First(), QStringLiteral("A"));
        TreeNode *dupUnderB = tree.Add(b, QStringLiteral("Dup"));
        TreeNode *dupUnderA = tree.Add(a, QStringLiteral("Dup"));
        QCOMPARE(m_model->FindNode(tree, QStringLiteral("dup")), dupUnderB);
        m_model->SortTrees();
        QCOMPARE(m_model->FindNode(tree, QStringLiteral("dup")), dupUnderA);
        tree.Remove(a);
        QCOMPARE(m_model->FindNode(tree, QStringLiteral("dup")), dupUnderB);
    }

    void findNodeStopsWhenTerminating()
    {
        Tree &tree = m_model->Browser();
        tree.Add(tree.First(), QStringLiteral("Object"));
        m_pump.SetTerminating(true);
        QCOMPARE(m_model->FindNode(tree, QStringLiteral("Object")), nullptr);
        QCOMPARE(m_model->IsPackageLoaded(QStringLiteral("Core")), false);
    }

    void findPackage_data()
    {
        QTest::addColumn<QStringList>("bindings");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("expected");
        const QStringList two{QStringLiteral("MyMod&DeathMatchPlus"), QStringLiteral("Botpack&DeathMatchPlus")};
        QTest::newRow("first in list order") << two << "DeathMatchPlus" << "Botpack";
        QTest::newRow("any case") << two << "deathmatchplus" << "Botpack";
        QTest::newRow("unbound") << two << "Actor" << "? ? ?";
        QTest::newRow("prefix is not a match") << QStringList{QStringLiteral("Engine&ActorX")} << "Actor" << "? ? ?";
        QTest::newRow("package keeps stored case") << QStringList{QStringLiteral("botPACK&Foo")} << "FOO" << "botPACK";
        // A damaged bindings list must not hide the entries after the damage.
        QTest::newRow("empty entry skipped") << QStringList{QString(), QStringLiteral("Engine&Actor")} << "Actor" << "Engine";
        QTest::newRow("ampersand first skipped") << QStringList{QStringLiteral("&Actor"), QStringLiteral("Engine&Actor")} << "Actor" << "Engine";
        QTest::newRow("no ampersand skipped") << QStringList{QStringLiteral("AAA"), QStringLiteral("Engine&Actor")} << "Actor" << "Engine";
    }

    void findPackage()
    {
        QFETCH(QStringList, bindings);
        QFETCH(QString, className);
        QFETCH(QString, expected);
        for (const QString &entry : bindings)
            m_model->Bindings().Add(entry);
        QCOMPARE(m_model->FindPackage(className), expected);
    }

    void addToPackageTree()
    {
        Tree &packages = m_model->PackagesBrowser();
        QVERIFY(!m_model->IsPackageLoaded(QStringLiteral("MyMod")));
        QVERIFY(m_model->AddToPackageTree(packages, QStringLiteral("MyMod"), false, QStringLiteral("Foo")));
        TreeNode *myMod = packages.First()->Child(0);
        QCOMPARE(myMod->Text(), QStringLiteral("MyMod"));
        QCOMPARE(packages.Selected(), myMod);
        QCOMPARE(myMod->ImageIndex(), 3);
        QCOMPARE(myMod->Child(0)->ImageIndex(), 1);
        QVERIFY(m_model->IsPackageLoaded(QStringLiteral("mymod")));

        m_model->AddToPackageTree(packages, QStringLiteral("MYMOD"), false, QStringLiteral("__INTFILE__"));
        QCOMPARE(myMod->ChildCount(), 2);
        QCOMPARE(myMod->Child(1)->Text(), QStringLiteral("MYMOD.int"));
        QCOMPARE(myMod->Child(1)->ImageIndex(), 4);
        // merge true: present already, nothing added
        m_model->AddToPackageTree(packages, QStringLiteral("MyMod"), true, QStringLiteral("__INTFILE__"));
        m_model->AddToPackageTree(packages, QStringLiteral("MyMod"), true, QStringLiteral("foo"));
        QCOMPARE(myMod->ChildCount(), 2);
        // merge false: a second node
        m_model->AddToPackageTree(packages, QStringLiteral("MyMod"), false, QStringLiteral("__INTFILE__"));
        QCOMPARE(myMod->ChildCount(), 3);
        m_model->AddToPackageTree(packages, QStringLiteral("MyMod"), true, QStringLiteral("__INIFILE__"));
        QCOMPARE(myMod->Child(3)->Text(), QStringLiteral("MyMod.ini"));
        QCOMPARE(myMod->Child(3)->ImageIndex(), 6);
        // markers are exact: a lower-case marker is a class name
        m_model->AddToPackageTree(packages, QStringLiteral("MyMod"), false, QStringLiteral("__intfile__"));
        QCOMPARE(myMod->Child(4)->Text(), QStringLiteral("__intfile__"));
        QCOMPARE(myMod->Child(4)->ImageIndex(), 1);
    }

    void imageIndices_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("image");
        QTest::newRow("class") << "Actor" << 1;
        QTest::newRow("int file") << "MyMod.int" << 4;
        QTest::newRow("ini file") << "MyMod.ini" << 6;
        QTest::newRow("INT without dot") << "Painter" << 1;
        QTest::newRow("INI without dot") << "Mini" << 1;
        QTest::newRow("upper-case extension") << "MyMod.INT" << 4;
    }

    void imageIndices()
    {
        QFETCH(QString, text);
        QFETCH(int, image);
        Tree &packages = m_model->PackagesBrowser();
        TreeNode *package = packages.Add(packages.First(), QStringLiteral("MyMod"));
        QCOMPARE(packages.Add(package, text)->ImageIndex(), image);
        // In the class tree every class keeps image 0.
        QCOMPARE(m_model->Browser().Add(m_model->Browser().First(), text)->ImageIndex(), 0);
    }

    void treeSort()
    {
        Tree &packages = m_model->PackagesBrowser();
        for (const QString &name : {QStringLiteral("MyMod.int"), QStringLiteral("Gamma"), QStringLiteral("MyMod.ini"),
                                    QStringLiteral("beta"), QStringLiteral("Alpha")})
            m_model->AddToPackageTree(packages, QStringLiteral("MyMod"), false,
                                      name.startsWith(QLatin1String("MyMod.")) ? QString() + (name.endsWith(QLatin1String("int")) ? "__INTFILE__" : "__INIFILE__") : name);
        m_model->AddToPackageTree(packages, QStringLiteral("Core"), false, QStringLiteral("Object"));
        Tree &classes = m_model->Browser();
        TreeNode *object = classes.Add(classes.First(), QStringLiteral("Object"));
        classes.Add(object, QStringLiteral("zeta"));
        classes.Add(object, QStringLiteral("Actor"));
        m_model->SortTrees();
        TreeNode *myMod = packages.First()->Child(1);
        QCOMPARE(packages.First()->Child(0)->Text(), QStringLiteral("Core"));
        QStringList children;
        for (int i = 0; i < myMod->ChildCount(); ++i)
            children.append(myMod->Child(i)->Text());
        QCOMPARE(children.mid(0, 3), (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Gamma")}));
        QVERIFY(children.mid(3).contains(QStringLiteral("MyMod.int")));
        QVERIFY(children.mid(3).contains(QStringLiteral("MyMod.ini")));
        QCOMPARE(object->Child(0)->Text(), QStringLiteral("Actor"));
        QCOMPARE(object->Child(0)->ImageIndex(), 0);
        QCOMPARE(classes.First()->ImageIndex(), 2);
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
        QFETCH(QList<int>, images);
        Tree &packages = m_model->PackagesBrowser();
        TreeNode *core = packages.Add(packages.First(), QStringLiteral("Core"));
        TreeNode *myMod = packages.Add(packages.First(), QStringLiteral("MyMod"));
        packages.SetImageIndex(core, 5);
        m_options.LastCompiledPackage = last;
        m_model->MarkLastCompiledPackage();
        QCOMPARE((QList<int>{core->ImageIndex(), myMod->ImageIndex()}), images);
    }

    void listPackageDirs()
    {
        test::GameDir game;
        game.WriteClass(QStringLiteral("Core"), QStringLiteral("Object.uc"), QStringLiteral("class Object;"));
        game.WriteClass(QStringLiteral("my_mod"), QStringLiteral("A.UC"), QStringLiteral("class A;"));
        game.MakeDir(QStringLiteral("NoSources/Classes"));
        game.WriteText(QStringLiteral("Textures/Classes/readme.txt"), QStringLiteral("x"));
        game.WriteText(QStringLiteral("File.uc"), QStringLiteral("x"));
        m_options.BaseDir = game.Base();
        m_model->ResetModel();
        QStringList items;
        for (int i = 0; i < m_model->Packages().Count(); ++i)
            items.append(m_model->Packages().Text(i));
        QCOMPARE(items, (QStringList{QStringLiteral("Core"), QStringLiteral("my_mod")}));

        // A second listing keeps marks and adds only new directories.
        m_model->Packages().SetMark(0, PackageList::Mark::Checked);
        game.WriteClass(QStringLiteral("Engine"), QStringLiteral("Actor.uc"), QStringLiteral("class Actor;"));
        m_model->ListPackageDirs();
        QCOMPARE(m_model->Packages().Count(), 3);
        QCOMPARE(m_model->Packages().Text(1), QStringLiteral("Engine"));
        QCOMPARE(m_model->Packages().MarkAt(0), PackageList::Mark::Checked);
    }

    void baseDirWithBlanks()
    {
        test::GameDir game;
        game.WriteClass(QStringLiteral("Unreal Game/Core"), QStringLiteral("Object.uc"), QStringLiteral("class Object;"));
        m_options.BaseDir = game.Base() + QStringLiteral("/Unreal Game");
        m_model->ResetModel();
        QCOMPARE(m_model->Packages().Count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestClassModel)
#include "tst_classmodel.moc"
