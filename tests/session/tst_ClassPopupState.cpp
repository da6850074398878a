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

    // Each row captions its node right after a node of the other tree whose
    // items are all set the other way: right clicks alternating between the
    // trees caption every item for the clicked node, whatever the click
    // before it left.
    void Captions()
    {
        QFETCH(bool, packageTree);
        QFETCH(QString, path);
        QFETCH(QString, package);
        QFETCH(QStringList, expected);
        Tree tree(packageTree ? Tree::Kind::PackageTree : Tree::Kind::ClassTree);
        test::BuildTree(tree, packageTree ? PackageTree : ClassTree);
        Tree other(packageTree ? Tree::Kind::ClassTree : Tree::Kind::PackageTree);
        test::BuildTree(other, packageTree ? ClassTree : PackageTree);
        TreeNode *node = path == QLatin1String("Stray") ? tree.TopLevel(1) : test::NodeAtPath(tree, path);
        QVERIFY(node);
        ClassPopupState state;
        // A top-level class's disabled "Create" item keeps the caption it had:
        // that row starts from a fresh state.
        if (packageTree)
            state.CaptionForClassTree(*other.TopLevel(1), QStringLiteral("? ? ?"));   // the stray class
        else if (node->Parent())
            state.CaptionForPackageTree(*test::NodeAtPath(other, QStringLiteral("Packages/Bar")));
        if (packageTree)
            state.CaptionForPackageTree(*node);
        else
            state.CaptionForClassTree(*node, package);
        QCOMPARE(Describe(state), expected);
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
