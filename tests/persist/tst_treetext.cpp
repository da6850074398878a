#include "persist/TreeText.h"

#include "model/Tree.h"
#include "platform/TextFile.h"
#include "support/ModelHarness.h"
#include "support/Raised.h"

#include <QLocale>
#include <QtTest>

using namespace kelvarin;
using test::BuildTree;
using test::DumpTree;

class TestTreeText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void read_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("dump");
        QTest::newRow("tabs")
            << QStringList{"Classes", "\tObject", "\t\tActor"} << QStringList{"Classes", "-Object", "--Actor"};
        QTest::newRow("spaces, one per level")
            << QStringList{"Classes", " Object", "  Actor"} << QStringList{"Classes", "-Object", "--Actor"};
        QTest::newRow("tabs and spaces mixed")
            << QStringList{"Classes", "\tObject", " \tActor", "\t Info"} << QStringList{"Classes", "-Object", "--Actor", "--Info"};
        QTest::newRow("empty and blank lines passed over")
            << QStringList{"", "Classes", "", "\tObject", "   ", "\t\t", "\t\tActor", ""}
            << QStringList{"Classes", "-Object", "--Actor"};
        QTest::newRow("shallower by several levels")
            << QStringList{"Classes", "\tA", "\t\tB", "\t\t\tC", "\t\t\t\tD", "\tE", "\t\tF"}
            << QStringList{"Classes", "-A", "--B", "---C", "----D", "-E", "--F"};
        QTest::newRow("back to the middle")
            << QStringList{"R", "\tA", "\t\tB", "\t\t\tC", "\t\tD"} << QStringList{"R", "-A", "--B", "---C", "--D"};
        QTest::newRow("several top-level nodes")
            << QStringList{"Classes", "\tObject", "Packages", "\tCore", "\t\tObject", "Third"}
            << QStringList{"Classes", "-Object", "Packages", "-Core", "--Object", "Third"};
        QTest::newRow("first line indented is top-level")
            << QStringList{"\t\tClasses", "\t\t\tObject", "Next"} << QStringList{"Classes", "-Object", "Next"};
        QTest::newRow("text keeps inner and trailing blanks")
            << QStringList{"Root", "\tA b\t "} << QStringList{"Root", "-A b\t "};
    }

    void read()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, dump);
        Tree tree(Tree::Kind::ClassTree);
        BuildTree(tree, {"Old", "-Stale"});
        TreeText::Read(tree, lines);
        QCOMPARE(DumpTree(tree), dump);
        QCOMPARE(tree.Count(), dump.size());
        // Written back, every level is one tab.
        QCOMPARE(TreeText::Write(tree).join('\n'), dump.join('\n').replace('-', '\t'));
        // As one text, every line ends in CR LF.
        QString text;
        for (const QString &line : TreeText::Write(tree))
            text += line + QStringLiteral("\r\n");
        QCOMPARE(TreeText::WriteText(tree), text);
        // Read from a file's bytes with any line ends, Latin-1 or UTF-16, the same tree.
        for (const char *end : {"\r\n", "\n", "\r"}) {
            for (TextEncoding encoding : {TextEncoding::Latin1, TextEncoding::Utf16LE}) {
                Tree fromBytes(Tree::Kind::ClassTree);
                TreeText::ReadBytes(fromBytes, TextFile::Encode(lines.join(QLatin1String(end)), encoding));
                QCOMPARE(DumpTree(fromBytes), dump);
            }
        }
    }

    void invalidLevel_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::newRow("two deeper") << QStringList{"Classes", "\t\tActor"} << "Invalid level (2) for item \"Actor\"";
        QTest::newRow("spaces") << QStringList{"Classes", " Object", "    Deep"} << "Invalid level (4) for item \"Deep\"";
        QTest::newRow("after a blank line") << QStringList{"Classes", "\tObject", "", "\t\t\tX"} << "Invalid level (3) for item \"X\"";
    }

    void invalidLevel()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        Tree tree(Tree::Kind::ClassTree);
        QCOMPARE(test::Raised([&] { TreeText::Read(tree, lines); }), message);
        QCOMPARE(test::Raised([&] { TreeText::ReadBytes(tree, lines.join(QLatin1String("\r\n")).toLatin1()); }), message);
    }

    // A tree read from text indexes its names only when first asked; what
    // changed in between must show in the answers.
    void namesFoundAfterRead()
    {
        Tree tree(Tree::Kind::ClassTree);
        BuildTree(tree, {"Old"});
        QVERIFY(tree.NodesNamed(QStringLiteral("OLD")));
        Tree built(Tree::Kind::ClassTree, tree);
        TreeText::ReadBytes(built, "Classes\r\n\tObject\r\n\t\tActor\r\n\tGone\r\n\t\tactor\r\n");
        tree.TakeNodes(built);
        TreeNode *object = tree.First()->Child(0);
        tree.Add(object, QStringLiteral("Brush"));
        tree.Remove(tree.First()->Child(1));
        QVERIFY(!tree.NodesNamed(QStringLiteral("OLD")));
        QVERIFY(!tree.NodesNamed(QStringLiteral("GONE")));
        const Tree::NodeList *actors = tree.NodesNamed(QStringLiteral("ACTOR"));
        QVERIFY(actors);
        QCOMPARE(actors->size(), 1);
        QCOMPARE(actors->first(), object->Child(0));
        QCOMPARE(tree.NodesNamed(QStringLiteral("BRUSH"))->size(), 1);
        QCOMPARE(tree.NodesNamed(QStringLiteral("BRUSH"))->first()->Parent(), object);
        // Once built, the index follows every change as it happens.
        tree.Remove(object->Child(0));
        QVERIFY(!tree.NodesNamed(QStringLiteral("ACTOR")));
        tree.Add(object, QStringLiteral("ACTOR"));
        QCOMPARE(tree.NodesNamed(QStringLiteral("ACTOR"))->size(), 1);
    }

    void veryDeepTree()
    {
        const int depth = 10000;
        QStringList lines;
        for (int level = 0; level < depth; ++level)
            lines.append(QString(level, QLatin1Char('\t')) + QStringLiteral("C%1").arg(level));
        // A sibling after the deepest node climbs all the way back.
        lines.append(QStringLiteral("\tSecond"));
        Tree tree(Tree::Kind::ClassTree);
        TreeText::Read(tree, lines);
        QCOMPARE(tree.Count(), depth + 1);
        QCOMPARE(tree.NodeAt(depth - 1)->Depth(), depth - 1);
        QCOMPARE(tree.First()->Child(1)->Text(), QStringLiteral("Second"));
        QCOMPARE(TreeText::Write(tree), lines);
        // Reading again replaces the deep content.
        TreeText::Read(tree, {QStringLiteral("Classes")});
        QCOMPARE(tree.Count(), 1);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestTreeText)
#include "tst_treetext.moc"
