#include "app/KelvarTreeView.h"
#include "app/NodeIcons.h"
#include "app/TreeModelAdapter.h"
#include "model/Tree.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace kelvarin;

namespace {

bool ByText(const TreeNode &a, const TreeNode &b)
{
    return a.Text() < b.Text();
}

bool ByTextDescending(const TreeNode &a, const TreeNode &b)
{
    return a.Text() > b.Text();
}

QStringList ChildTexts(const QAbstractItemModel &model, const QModelIndex &parent)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts << model.index(row, 0, parent).data().toString();
    return texts;
}

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
        TreeNode *actor = tree.Add(object, QStringLiteral("Actor"));
        tree.Add(actor, QStringLiteral("Pawn"));
        tree.Add(actor, QStringLiteral("Info"));
        TreeNode *brush = tree.Add(actor, QStringLiteral("Brush"));
        tree.Add(object, QStringLiteral("Canvas"));
        QCOMPARE(adapter.rowCount(), 1);
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(actor)),
                 (QStringList{"Pawn", "Info", "Brush"}));

        tree.Sort(ByText);
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(actor)),
                 (QStringList{"Brush", "Info", "Pawn"}));
        QCOMPARE(adapter.IndexOf(brush).row(), 0);

        tree.Remove(tree.NodesNamed(QStringLiteral("INFO"))->first());
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(actor)), (QStringList{"Brush", "Pawn"}));

        tree.Remove(actor);   // with its subtree
        QCOMPARE(ChildTexts(adapter, adapter.IndexOf(object)), QStringList{"Canvas"});

        tree.SetImageIndex(object, 5);
        tree.Clear();
        QCOMPARE(adapter.rowCount(), 0);
        tree.Add(nullptr, QStringLiteral("Classes"));
        tree.Add(nullptr, QStringLiteral("Second top-level"));
        QCOMPARE(adapter.rowCount(), 2);
    }

    void PersistentIndexFollowsItsNodeWhenSorted()
    {
        Tree tree(Tree::Kind::ClassTree);
        TreeModelAdapter adapter(tree);
        TreeNode *root = tree.Add(nullptr, QStringLiteral("Classes"));
        TreeNode *a = tree.Add(root, QStringLiteral("A"));
        tree.Add(root, QStringLiteral("B"));
        TreeNode *c = tree.Add(root, QStringLiteral("C"));
        TreeNode *deep = tree.Add(a, QStringLiteral("A1"));

        QPersistentModelIndex pa(adapter.IndexOf(a));
        QPersistentModelIndex pc(adapter.IndexOf(c));
        QPersistentModelIndex pdeep(adapter.IndexOf(deep));
        tree.Sort(ByTextDescending);

        QCOMPARE(pa.row(), 2);
        QCOMPARE(pc.row(), 0);
        QCOMPARE(TreeModelAdapter::NodeAt(pa), a);
        QCOMPARE(TreeModelAdapter::NodeAt(pc), c);
        QCOMPARE(TreeModelAdapter::NodeAt(pdeep), deep);
        QCOMPARE(pdeep.parent(), QModelIndex(pa));
    }

    void DataShowsTextAndImage_data()
    {
        QTest::addColumn<int>("image");
        for (int i = 0; i < NodeIcons::Count; ++i)
            QTest::addRow("image %d", i) << i;
    }

    void DataShowsTextAndImage()
    {
        QFETCH(int, image);
        Tree tree(Tree::Kind::PackageTree);
        TreeModelAdapter adapter(tree);
        TreeNode *root = tree.Add(nullptr, QStringLiteral("Packages"));
        TreeNode *node = tree.Add(root, QStringLiteral("Botpack"), image == 0 ? 3 : image);
        if (image == 0)
            tree.SetImageIndex(node, 0);
        const QModelIndex index = adapter.IndexOf(node);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), QStringLiteral("Botpack"));
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(16).toImage(), NodeIcons::Icon(image).pixmap(16).toImage());
    }

    void ImagesAreDistinct()
    {
        QList<QImage> images;
        for (int i = 0; i < NodeIcons::Count; ++i)
            images << NodeIcons::Icon(i).pixmap(16).toImage();
        for (int i = 0; i < images.size(); ++i)
            for (int j = i + 1; j < images.size(); ++j)
                QVERIFY2(images[i] != images[j], qPrintable(QStringLiteral("%1 and %2").arg(i).arg(j)));
        QVERIFY(NodeIcons::Icon(-1).isNull());
        QVERIFY(NodeIcons::Icon(NodeIcons::Count).isNull());
    }

    void ImageChangeIsReported()
    {
        Tree tree(Tree::Kind::PackageTree);
        TreeModelAdapter adapter(tree);
        TreeNode *root = tree.Add(nullptr, QStringLiteral("Packages"));
        TreeNode *package = tree.Add(root, QStringLiteral("MyMod"));
        QSignalSpy spy(&adapter, &QAbstractItemModel::dataChanged);
        tree.SetImageIndex(package, 5);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QModelIndex>(), adapter.IndexOf(package));
    }

    void SelectionFollowsBothWays()
    {
        Tree tree(Tree::Kind::ClassTree);
        TreeModelAdapter adapter(tree);
        KelvarTreeView view;
        view.SetAdapter(&adapter);
        TreeNode *root = tree.Add(nullptr, QStringLiteral("Classes"));
        TreeNode *a = tree.Add(root, QStringLiteral("A"));
        TreeNode *b = tree.Add(root, QStringLiteral("B"));

        tree.Select(a);
        QCOMPARE(TreeModelAdapter::NodeAt(view.currentIndex()), a);
        view.setCurrentIndex(adapter.IndexOf(b));
        QCOMPARE(tree.Selected(), b);

        // Removing the selected node: tree and view agree afterwards.
        tree.Remove(b);
        QCOMPARE(TreeModelAdapter::NodeAt(view.currentIndex()), tree.Selected());

        tree.Select(nullptr);
        QVERIFY(!view.currentIndex().isValid());
        tree.Clear();
        QVERIFY(!view.currentIndex().isValid());
        QCOMPARE(tree.Selected(), nullptr);
    }

    void DoubleClickCallsHandlerAndNeverExpands()
    {
        Tree tree(Tree::Kind::ClassTree);
        TreeModelAdapter adapter(tree);
        KelvarTreeView view;
        view.SetAdapter(&adapter);
        TreeNode *root = tree.Add(nullptr, QStringLiteral("Classes"));
        TreeNode *object = tree.Add(root, QStringLiteral("Object"));
        tree.Add(object, QStringLiteral("Actor"));
        TreeNode *clicked = nullptr;
        int calls = 0;
        view.SetDoubleClickHandler([&](TreeNode *node) {
            clicked = node;
            ++calls;
        });
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QModelIndex objectIndex = adapter.IndexOf(object);
        QVERIFY(view.isExpanded(adapter.IndexOf(root)));
        QVERIFY(!view.isExpanded(objectIndex));
        const QPoint at = view.visualRect(objectIndex).center();
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(calls, 1);
        QCOMPARE(clicked, object);
        QVERIFY(!view.isExpanded(objectIndex));

        // Below the last row there is no node.
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 190));
        QCOMPARE(calls, 2);
        QCOMPARE(clicked, nullptr);
    }

    void RightClickSelectsNodeUnderMouse()
    {
        Tree tree(Tree::Kind::ClassTree);
        TreeModelAdapter adapter(tree);
        KelvarTreeView view;
        view.SetAdapter(&adapter);
        TreeNode *root = tree.Add(nullptr, QStringLiteral("Classes"));
        tree.Add(root, QStringLiteral("Object"));
        TreeNode *canvas = tree.Add(root, QStringLiteral("Canvas"));
        tree.Select(root);
        int presses = 0;
        view.SetRightPressHandler([&](const QPoint &) { ++presses; });
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QTest::mousePress(view.viewport(), Qt::RightButton, Qt::NoModifier,
                          view.visualRect(adapter.IndexOf(canvas)).center());
        QCOMPARE(tree.Selected(), canvas);
        QCOMPARE(presses, 1);
    }

    void ViewIsReadOnlyAndUndecorated()
    {
        KelvarTreeView view;
        QVERIFY(view.isHeaderHidden());
        QVERIFY(!view.rootIsDecorated());
        QCOMPARE(view.indentation(), 19);
        QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    }
};

QTEST_MAIN(TestTreeModelAdapter)
#include "tst_TreeModelAdapter.moc"
