#include "app/gui/KelvarTreeView.h"
#include "app/gui/NodeIcons.h"
#include "app/gui/TreeModelAdapter.h"
#include "model/Tree.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace kelvarin;

namespace {

QStringList ChildTexts(const QAbstractItemModel &model, const QModelIndex &parent)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts << model.index(row, 0, parent).data().toString();
    return texts;
}

QImage Image(const QIcon &icon)
{
    return icon.pixmap(16).toImage();
}

// A class tree "Classes" > "Object" > "Canvas" shown in a tree view.
struct View
{
    View()
    {
        view.SetAdapter(&adapter);
        root = tree.Add(nullptr, QStringLiteral("Classes"));
        object = tree.Add(root, QStringLiteral("Object"));
        canvas = tree.Add(object, QStringLiteral("Canvas"));
        view.resize(300, 200);
    }

    Tree tree{Tree::Kind::ClassTree};
    TreeModelAdapter adapter{tree};
    KelvarTreeView view;
    TreeNode *root, *object, *canvas;
};

} // namespace

class TestTreeModelAdapter : public QObject
{
    Q_OBJECT

private slots:
    void ModelStaysConsistentThroughChanges()
    {
        Tree tree(Tree::Kind::ClassTree);
        TreeModelAdapter adapter(tree);
        QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::QtTest);

        TreeNode *root = tree.Add(nullptr, QStringLiteral("Classes"));
        TreeNode *object = tree.Add(root, QStringLiteral("Object"));
        tree.Add(object, QStringLiteral("Canvas"));
        TreeNode *actor = tree.Add(object, QStringLiteral("Actor"));
        TreeNode *pawn = tree.Add(actor, QStringLiteral("Pawn"));
        tree.Add(actor, QStringLiteral("Info"));
        tree.Add(actor, QStringLiteral("Brush"));
        QCOMPARE(adapter.rowCount(), 1);
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(actor)), (QStringList{"Pawn", "Info", "Brush"}));

        // Sorting moves Actor and its children; an index kept by a view follows its node.
        QPersistentModelIndex kept(adapter.IndexOf(pawn));
        tree.Sort([](const TreeNode &a, const TreeNode &b) { return a.Text() < b.Text(); });
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(object)), (QStringList{"Actor", "Canvas"}));
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(actor)), (QStringList{"Brush", "Info", "Pawn"}));
        QCOMPARE(TreeModelAdapter::NodeAt(kept), pawn);
        QCOMPARE(kept.row(), 2);
        QCOMPARE(kept.parent(), adapter.IndexOf(actor));

        tree.Remove(tree.NodesNamed(QStringLiteral("INFO"))->first());
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(actor)), (QStringList{"Brush", "Pawn"}));
        tree.Remove(actor);   // with its subtree
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(object)), QStringList{"Canvas"});

        tree.Clear();
        QCOMPARE(adapter.rowCount(), 0);
        tree.Add(nullptr, QStringLiteral("Classes"));
        tree.Add(nullptr, QStringLiteral("Second top-level"));
        QCOMPARE(adapter.rowCount(), 2);
    }

    void ShowsTheNodeImage_data()
    {
        QTest::addColumn<int>("image");
        for (int i = 0; i < NodeIcons::Count; ++i)
            QTest::addRow("image %d", i) << i;
    }

    void ShowsTheNodeImage()
    {
        QFETCH(int, image);
        Tree tree(Tree::Kind::PackageTree);
        TreeModelAdapter adapter(tree);
        TreeNode *node = tree.Add(tree.Add(nullptr, QStringLiteral("Packages")), QStringLiteral("Botpack"),
                                  (image + 1) % NodeIcons::Count);
        QSignalSpy changed(&adapter, &QAbstractItemModel::dataChanged);
        tree.SetImageIndex(node, image);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), adapter.IndexOf(node));

        const QModelIndex index = adapter.IndexOf(node);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), QStringLiteral("Botpack"));
        const QImage shown = Image(index.data(Qt::DecorationRole).value<QIcon>());
        QVERIFY(!shown.isNull());
        for (int other = 0; other < NodeIcons::Count; ++other)
            QCOMPARE(shown == Image(NodeIcons::Icon(other)), other == image);
    }

    void MarksCompiledClasses_data()
    {
        QTest::addColumn<int>("image");   // of the node named "Canvas"
        QTest::addColumn<bool>("marked");
        QTest::newRow("class in the class tree") << 0 << true;
        QTest::newRow("class in the package tree") << 1 << true;
        QTest::newRow("package of that name") << 3 << false;
        QTest::newRow(".int file of that name") << 4 << false;
    }

    void MarksCompiledClasses()
    {
        QFETCH(int, image);
        QFETCH(bool, marked);
        Tree tree(image == 0 ? Tree::Kind::ClassTree : Tree::Kind::PackageTree);
        TreeModelAdapter adapter(tree, nullptr, [](const TreeNode &node) { return node.Text() == "Canvas"; });
        TreeNode *root = tree.Add(nullptr, QStringLiteral("Canvas"), 2);
        TreeNode *plain = tree.Add(root, QStringLiteral("Object"), image);
        TreeNode *canvas = tree.Add(root, QStringLiteral("Canvas"), image);

        const QModelIndex index = adapter.IndexOf(canvas);
        const QImage shown = Image(index.data(Qt::DecorationRole).value<QIcon>());
        QCOMPARE(shown == Image(NodeIcons::CompiledClassIcon(image)), marked);
        QCOMPARE(shown == Image(NodeIcons::Icon(image)), !marked);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), QStringLiteral("Canvas"));
        QCOMPARE(index.data(Qt::ToolTipRole).toString(),
                 marked ? QStringLiteral("Canvas (read from the compiled package: its source is not exported)")
                        : QStringLiteral("Canvas"));
        // Other nodes, and the root whatever its name, are shown as ever.
        QCOMPARE(adapter.IndexOf(plain).data(Qt::ToolTipRole).toString(), QStringLiteral("Object"));
        QCOMPARE(Image(adapter.IndexOf(root).data(Qt::DecorationRole).value<QIcon>()), Image(NodeIcons::Icon(2)));
    }

    void SelectionFollowsBothWays()
    {
        View v;
        TreeNode *actor = v.tree.Add(v.object, QStringLiteral("Actor"));
        v.tree.Select(v.canvas);
        QCOMPARE(TreeModelAdapter::NodeAt(v.view.currentIndex()), v.canvas);
        v.view.setCurrentIndex(v.adapter.IndexOf(actor));
        QCOMPARE(v.tree.Selected(), actor);

        // Removing the selected node: tree and view agree afterwards.
        v.tree.Remove(actor);
        QCOMPARE(TreeModelAdapter::NodeAt(v.view.currentIndex()), v.tree.Selected());
        v.tree.Select(nullptr);
        QVERIFY(!v.view.currentIndex().isValid());
        v.tree.Select(v.canvas);
        v.tree.Clear();
        QVERIFY(!v.view.currentIndex().isValid());
        QCOMPARE(v.tree.Selected(), nullptr);
    }

    void MouseClicks()
    {
        View v;
        QList<TreeNode *> doubleClicked;
        v.view.SetDoubleClickHandler([&](TreeNode *node) { doubleClicked << node; });
        v.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v.view));

        // A double click hands over the node and never expands it.
        const QModelIndex object = v.adapter.IndexOf(v.object);
        QVERIFY(v.view.isExpanded(v.adapter.IndexOf(v.root)) && !v.view.isExpanded(object));
        QTest::mouseDClick(v.view.viewport(), Qt::LeftButton, Qt::NoModifier, v.view.visualRect(object).center());
        QVERIFY(!v.view.isExpanded(object));
        // Below the last row there is no node.
        QTest::mouseDClick(v.view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 190));
        QCOMPARE(doubleClicked, (QList<TreeNode *>{v.object, nullptr}));
    }
};

KELVARIN_TEST_MAIN(TestTreeModelAdapter)
#include "tst_TreeModelAdapter.moc"
