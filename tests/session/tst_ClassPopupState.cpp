#include "session/ClassPopupState.h"
#include "model/Tree.h"
#include "support/ModelHarness.h"

#include <QTest>

using namespace kelvarin;

namespace {

// One line per item: "caption|on" or "caption|off", in menu order.
QStringList Describe(const ClassPopupState &s)
{
    const auto item = [](const QString &caption, bool on) {
        return caption + QLatin1String(on ? "|on" : "|off");
    };
    return {item(QStringLiteral("edit"), s.editEnabled), item(QStringLiteral("switch"), s.switchEnabled),
            item(s.compileCaption, s.compileEnabled), item(s.createCaption, s.createEnabled),
            s.deleteCaption, item(QStringLiteral("int"), s.intEnabled),
            item(QStringLiteral("comment"), s.commentEnabled)};
}

const QStringList PackageTree{"Packages", "-Bar", "--Foo", "--Bar.int", "--Bar.ini", "-Baz"};
const QStringList ClassTree{"Classes", "-Object", "--Actor", "Stray"};

} // namespace

class TestClassPopupState : public QObject
{
    Q_OBJECT

private slots:
    void Captions_data()
    {
        QTest::addColumn<bool>("packageTree");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("package node") << true << "Packages/Bar" << ""
            << QStringList{"edit|off", "switch|off", "Compile Bar|on", "Create new class in package Bar|on",
                           "Delete package Bar", "int|on", "comment|on"};
        QTest::newRow("class of a package") << true << "Packages/Bar/Foo" << ""
            << QStringList{"edit|on", "switch|on", "Compile Bar|on", "Create new class in package Bar|on",
                           "Delete class Foo", "int|off", "comment|off"};
        QTest::newRow("localisation file") << true << "Packages/Bar/Bar.int" << ""
            << QStringList{"edit|on", "switch|on", "Compile Bar|on", "Create new class in package Bar|on",
                           "Delete class Bar.int", "int|off", "comment|off"};
        QTest::newRow("class of the class tree") << false << "Classes/Object/Actor" << "Engine"
            << QStringList{"edit|on", "switch|on", "Compile Engine|on", "Create new class below Actor|on",
                           "Delete class Actor", "int|off", "comment|off"};
        QTest::newRow("class of unknown package") << false << "Classes/Object" << "? ? ?"
            << QStringList{"edit|on", "switch|on", "Compile ? ? ?|off", "Create new class below Object|on",
                           "Delete class Object", "int|off", "comment|off"};
        QTest::newRow("top-level class without parent") << false << "Stray" << "Core"
            << QStringList{"edit|on", "switch|on", "Compile Core|on", "Create new class in package DUNNO...|off",
                           "Delete class Stray", "int|off", "comment|off"};
    }

    void Captions()
    {
        QFETCH(bool, packageTree);
        QFETCH(QString, path);
        QFETCH(QString, package);
        QFETCH(QStringList, expected);
        Tree tree(packageTree ? Tree::Kind::PackageTree : Tree::Kind::ClassTree);
        test::BuildTree(tree, packageTree ? PackageTree : ClassTree);
        TreeNode *node = path == QLatin1String("Stray") ? tree.TopLevel(1) : test::NodeAtPath(tree, path);
        QVERIFY(node);
        ClassPopupState state;
        if (packageTree)
            state.CaptionForPackageTree(*node);
        else
            state.CaptionForClassTree(*node, package);
        QCOMPARE(Describe(state), expected);
    }

    // Right clicks alternating between the trees: each one captions every
    // item for its own node, whatever the click before it left.
    void MixedRightClicksCaptionForTheClickedNode()
    {
        Tree packages(Tree::Kind::PackageTree);
        test::BuildTree(packages, PackageTree);
        Tree classes(Tree::Kind::ClassTree);
        test::BuildTree(classes, ClassTree);
        ClassPopupState state;

        state.CaptionForPackageTree(*test::NodeAtPath(packages, QStringLiteral("Packages/Bar")));
        state.CaptionForClassTree(*test::NodeAtPath(classes, QStringLiteral("Classes/Object/Actor")),
                                  QStringLiteral("Engine"));
        QCOMPARE(state.deleteCaption, QStringLiteral("Delete class Actor"));
        QVERIFY(state.switchEnabled);

        // A stray top-level class disables "Create" and its unknown package
        // the compile item; a package right-clicked next can have both.
        state.CaptionForClassTree(*classes.TopLevel(1), QStringLiteral("? ? ?"));
        QCOMPARE(state.deleteCaption, QStringLiteral("Delete class Stray"));
        state.CaptionForPackageTree(*test::NodeAtPath(packages, QStringLiteral("Packages/Baz")));
        QVERIFY(state.createEnabled);
        QVERIFY(state.compileEnabled);
        QVERIFY(!state.switchEnabled);
        QCOMPARE(state.deleteCaption, QStringLiteral("Delete package Baz"));
        QCOMPARE(state.CompilePackage(), QStringLiteral("Baz"));
    }

    void CompilePackageIsTheCaptionAfterCompile_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("package");
        QTest::newRow("plain") << "Compile MyMod" << "MyMod";
        QTest::newRow("blanks kept") << "Compile ? ? ?" << "? ? ?";
        QTest::newRow("designed caption") << "&Compile this package" << " this package";
    }

    void CompilePackageIsTheCaptionAfterCompile()
    {
        QFETCH(QString, caption);
        QFETCH(QString, package);
        ClassPopupState state;
        state.compileCaption = caption;
        QCOMPARE(state.CompilePackage(), package);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestClassPopupState)
#include "tst_ClassPopupState.moc"
