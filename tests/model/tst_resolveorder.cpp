// Resolving waiting classes visits an entry again only when its parent (or,
// merging, its binding) has come. These tests hold that to the plain rule it
// replaces: walk the whole list pass after pass until a pass attaches
// nothing. Both run on equal models, and everything the model shows after
// each load must match: both trees in their order, the bindings, the classes
// still waiting, and the parent-lookup memo the next load starts from.

#include "model/Scanner.h"
#include "platform/FileSystem.h"
#include "support/ModelHarness.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

using namespace kelvarin;
using kelvarin::test::DumpTree;
using kelvarin::test::ModelHarness;

namespace {

// The rule itself: pass after pass over the whole list.
void ResolveByPasses(ClassModel &model, SortedList &list, bool merge)
{
    Tree &classTree = model.Browser();
    const QString base = model.Options().BaseDir;
    QString lastPackage;
    bool stalled = false;
    while (!list.IsEmpty() && !stalled) {
        stalled = true;
        for (int row = 0; row < list.Count();) {
            const QString entry = list.At(row);
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            const QString parent = equals > 0 ? entry.left(equals) : QString();
            const QString rest = equals >= 0 ? entry.mid(equals + 1) : entry;
            const qsizetype amp = rest.indexOf(QLatin1Char('&'));
            if (amp <= 0) {
                list.RemoveAt(row);
                continue;
            }
            const QString className = rest.left(amp);
            const QString package = rest.mid(amp + 1);
            if (UpperCase(package) != UpperCase(lastPackage)) {
                if (merge || !model.IsPackageLoaded(package)) {
                    if (FileSystem::FileExists(base + "\\System\\" + package + ".int"))
                        model.AddToPackageTree(model.PackagesBrowser(), package, merge,
                                               QString::fromLatin1(ClassModel::IntFileMarker));
                }
                lastPackage = package;
            }
            const QString binding = package + QLatin1Char('&') + className;
            if (merge && model.Bindings().IndexOf(binding) >= 0) {
                list.RemoveAt(row);
                continue;
            }
            if (Scanner::AttachClass(model, classTree, parent, className)) {
                stalled = false;
                model.Bindings().Add(binding);
                model.AddToPackageTree(model.PackagesBrowser(), package, merge, className);
                list.RemoveAt(row);
                continue;
            }
            ++row;
        }
    }
}

// Where the memo points: "none", "-" (empty) or "NAME@preorder-index".
QString MemoState(ClassModel &model)
{
    const ClassModel::ParentMemo &memo = model.Memo();
    if (!memo.valid)
        return QStringLiteral("-");
    int index = -1;
    int at = 0;
    for (TreeNode *n = model.Browser().First(); n; n = Tree::Next(n), ++at)
        if (n == memo.node)
            index = at;
    return memo.upperName + QLatin1Char('@') + (memo.node ? QString::number(index) : QStringLiteral("none"));
}

QStringList Snapshot(ClassModel &model)
{
    return QStringList{DumpTree(model.Browser()).join('|'), DumpTree(model.PackagesBrowser()).join('|'),
                       model.Bindings().Entries().join('|'), model.Files().Entries().join('|'),
                       MemoState(model)};
}

// A batch of staged lines per load, from small name pools so that names
// repeat across packages and letter cases, parents go missing, come later,
// or come in a later load.
QList<QStringList> RandomLoads(quint32 seed, bool selfNamed)
{
    QRandomGenerator random(seed);
    const QStringList names{"Object", "Actor", "Pawn", "Info", "Zone", "Mover", "Light", "Brush",
                            "actor", "PAWN", "Decal", "Trigger", "Keypoint", "Weapon", "Ammo"};
    const QStringList packages{"Core", "Engine", "ModA", "modb", "ModC"};
    QList<QStringList> loads;
    const int loadCount = 1 + int(random.bounded(4));
    for (int load = 0; load < loadCount; ++load) {
        QStringList lines;
        const int count = 1 + int(random.bounded(18));
        for (int i = 0; i < count; ++i) {
            const QString className = names.at(int(random.bounded(names.size())));
            QString parent;
            const int pick = int(random.bounded(10));
            if (pick == 0)
                parent = QString();
            else if (pick == 1)
                parent = QStringLiteral("Missing");
            else
                parent = names.at(int(random.bounded(names.size())));
            if (!selfNamed && UpperCase(parent) == UpperCase(className))
                parent = QStringLiteral("Object");
            if (!selfNamed && UpperCase(className) == QLatin1String("OBJECT"))
                parent = QString();
            lines.append(parent + '=' + className + '&' + packages.at(int(random.bounded(packages.size()))));
        }
        if (random.bounded(6) == 0)
            lines.append(QStringLiteral("malformed"));
        loads.append(lines);
    }
    return loads;
}

} // namespace

class TestResolveOrder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void sameAsPassAfterPass_data()
    {
        QTest::addColumn<bool>("merge");
        QTest::addColumn<bool>("selfNamed");
        QTest::addColumn<bool>("sortBetween");
        QTest::newRow("plain loads") << false << false << true;
        QTest::newRow("plain loads, no sort between (refresh)") << false << false << false;
        QTest::newRow("merge loads") << true << false << true;
        QTest::newRow("classes named like their parents") << false << true << true;
        QTest::newRow("merge, classes named like their parents") << true << true << false;
        QTest::newRow("merge, no sort between") << true << false << false;
    }

    void sameAsPassAfterPass()
    {
        QFETCH(bool, merge);
        QFETCH(bool, selfNamed);
        QFETCH(bool, sortBetween);
        for (quint32 seed = 1; seed <= 400; ++seed) {
            const QList<QStringList> loads = RandomLoads(seed, selfNamed);
            ModelHarness indexed;
            ModelHarness passes;
            // One package with a localisation file, to give the package tree
            // its file nodes at the first visit.
            indexed.game.WriteText("System/ModA.int", "[Public]\n");
            passes.game.WriteText("System/ModA.int", "[Public]\n");
            for (const QStringList &load : loads) {
                indexed.model.Files().AddMany(load);
                passes.model.Files().AddMany(load);
                Scanner::ResolveFilesList(indexed.model, indexed.model.Browser(), indexed.model.Files(), merge);
                ResolveByPasses(passes.model, passes.model.Files(), merge);
                if (sortBetween) {
                    indexed.model.SortTrees();
                    passes.model.SortTrees();
                }
                const QStringList got = Snapshot(indexed.model);
                const QStringList want = Snapshot(passes.model);
                if (got != want)
                    qWarning() << "seed" << seed << "loads" << loads;
                QCOMPARE(got, want);
            }
        }
    }

    // A chain staged against its order (each parent sorts after its child)
    // needs one pass per class; both orders give the same chain.
    void chainInEitherOrder_data()
    {
        QTest::addColumn<bool>("reversed");
        QTest::newRow("parents first") << false;
        QTest::newRow("parents last") << true;
    }

    void chainInEitherOrder()
    {
        QFETCH(bool, reversed);
        const int length = 3000;
        auto name = [](int i) { return QStringLiteral("C%1").arg(i, 5, 10, QLatin1Char('0')); };
        QStringList lines;
        // Forward: C00000 <- C00001 <- ...; reversed: C02999 <- C02998 <- ...
        for (int i = 0; i < length; ++i) {
            const int self = reversed ? length - 1 - i : i;
            const int parent = reversed ? self + 1 : self - 1;
            lines.append((i == 0 ? QString() : name(parent)) + '=' + name(self) + QStringLiteral("&Chain"));
        }
        ModelHarness h;
        h.model.Files().AddMany(lines);
        Scanner::ResolveFilesList(h.model, h.model.Browser(), h.model.Files(), false);
        QCOMPARE(h.model.ClassCount(), length);
        QCOMPARE(h.model.Files().Count(), 0);
        // One node per level, each the child of the one before.
        int depth = 0;
        for (TreeNode *n = h.model.Browser().First(); n; n = Tree::Next(n), ++depth) {
            QCOMPARE(n->Depth(), depth);
            if (depth > 0)
                QCOMPARE(n->Text(), name(reversed ? length - depth : depth - 1));
        }
        QCOMPARE(depth, length + 1);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestResolveOrder)
#include "tst_resolveorder.moc"
