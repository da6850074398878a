#include "model/Scanner.h"
#include "platform/FileSystem.h"
#include "support/CountingPump.h"
#include "support/ModelHarness.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>

using namespace kelvarin;
using kelvarin::test::DumpTree;
using kelvarin::test::ModelHarness;

namespace {

QString ClassesDir(const ModelHarness &h, const QString &package)
{
    return h.options.BaseDir + QLatin1Char('\\') + package + QLatin1String("\\Classes\\");
}

// Object <- Actor <- Info <- Zone, staged in an order that needs two passes.
const QStringList kHierarchy{"=Object&Core", "Object=Actor&Engine", "Actor=Info&Engine", "Info=Zone&Engine"};

// Resolving waiting classes visits an entry again only when its parent (or,
// merging, its binding) has come. sameAsPassAfterPass holds that to the plain rule it
// replaces: walk the whole list pass after pass until a pass attaches
// nothing. Both run on equal models, and everything the model shows after
// each load must match: both trees in their order, the bindings, the classes
// still waiting, and the parent-lookup memo the next load starts from.

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

class TestScanner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // One "parent=class&package" line per source named exactly "*.uc"; the
    // class is named after the file. (What the parent is for every kind of
    // content is the declaration parser's matter.)
    void stagedLines_data()
    {
        QTest::addColumn<QStringList>("files");   // "name:content"
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("declaration") << QStringList{"Foo.uc:class Foo expands Bar;"} << QStringList{"Bar=Foo&Pkg"};
        QTest::newRow("class name from the file name") << QStringList{"Baz.uc:class Foo extends Bar;"}
                                                       << QStringList{"Bar=Baz&Pkg"};
        QTest::newRow("no parent") << QStringList{"Object.uc:class Object native;"} << QStringList{"=Object&Pkg"};
        QTest::newRow("empty file") << QStringList{"Empty.uc:"} << QStringList{"=Empty&Pkg"};
        QTest::newRow("names that are not sources")
            << QStringList{"Good.uc:class Good;", "Upper.UC:class Upper;", "a.uc.uc:x", "x.ucx:x", ".uc:x"}
            << QStringList{"=Good&Pkg"};
        QTest::newRow("names that are not class names")
            << QStringList{"A&mp.uc:class A;", "Line\nBreak.uc:class Line;", "9Lives.uc:x", "Two words.uc:x",
                           "\u0394elta.uc:x", "Good_2.uc:class Good_2 expands Bar;", "Caf\u00e9.uc:class Caf\u00e9;"}
            << QStringList{"=Caf\u00e9&Pkg", "Bar=Good_2&Pkg"};
        QTest::newRow("not regular files") << QStringList{"X.uc/", "Pipe.uc|", "Y.uc:class Y;"} << QStringList{"=Y&Pkg"};
    }

    void stagedLines()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, expected);
        ModelHarness h;
        // "name/" is a directory, "name|" a named pipe.
        for (const QString &file : files) {
            const QString path = "Pkg/Classes/" + file.section(':', 0, 0);
            if (path.endsWith('/'))
                h.game.MakeDir(path);
            else if (path.endsWith('|'))
                QCOMPARE(mkfifo(QFile::encodeName(h.game.Native(path.chopped(1))).constData(), 0600), 0);
            else
                h.game.WriteText(path, file.section(':', 1));
        }
        SortedList list;
        Scanner::ScanPackageDir(h.model, list, ClassesDir(h, QStringLiteral("Pkg")));
        QCOMPARE(list.Entries(), expected);
        // A classes path without "\Classes\" names no package: nothing is staged.
        Scanner::ScanPackageDir(h.model, list, h.options.BaseDir + QStringLiteral("\\Pkg\\"));
        QCOMPARE(list.Entries(), expected);
    }

    void resolveRunsPassesUntilNothingAttaches()
    {
        ModelHarness h;
        // Staged lines sort by parent: "=Object" first, then "Actor=Info",
        // "Info=Zone", "Object=Actor". Info waits for Actor, which comes later
        // in the same pass, so a second pass attaches Info and then Zone.
        SortedList &files = h.model.Files();
        files.AddMany(kHierarchy + QStringList{"Missing=Lost&Mod", "broken entry", "=&Nameless"});
        Scanner::ResolveFilesList(h.model, h.model.Browser(), files, false);
        QCOMPARE(DumpTree(h.model.Browser()), (QStringList{"Classes", "-Object", "--Actor", "---Info", "----Zone"}));
        QCOMPARE(files.Entries(), QStringList{"Missing=Lost&Mod"});
        QCOMPARE(h.model.Bindings().Entries(), (QStringList{"Core&Object", "Engine&Actor", "Engine&Info", "Engine&Zone"}));
        QCOMPARE(h.model.FindPackage(QStringLiteral("zone")), QStringLiteral("Engine"));
        // The waiting class is in neither tree.
        QVERIFY(!h.model.FindNode(h.model.Browser(), QStringLiteral("Lost")));
        QVERIFY(!h.model.IsPackageLoaded(QStringLiteral("Mod")));
    }

    void memoRemembersMissesAndReportsEachDistinctParentOnce()
    {
        ModelHarness h;
        SortedList &files = h.model.Files();
        files.AddMany({"Gone=A&Mod", "Gone=B&Mod", "Gone=C&Mod", "Away=D&Mod"});
        Scanner::ResolveFilesList(h.model, h.model.Browser(), files, false);
        // One pass, two distinct parents (sorted: Away, Gone): two lookups.
        QCOMPARE(h.StatusesStartingWith(QStringLiteral("Processing: ")),
                 (QStringList{"Processing: Away", "Processing: Gone"}));
        QCOMPARE(files.Count(), 4);
        // A removal of class-tree nodes forgets the memo: the next lookup of
        // the same parent searches again.
        h.model.ForgetMemo();
        h.statuses.clear();
        Scanner::AttachClass(h.model, h.model.Browser(), QStringLiteral("Gone"), QStringLiteral("X"));
        QCOMPARE(h.statuses, QStringList{"Processing: Gone"});
    }

    void terminatingStopsAndKeepsWhatIsLeft_data()
    {
        QTest::addColumn<int>("pumps");
        QTest::newRow("before anything") << 0;
        QTest::newRow("in the first pass") << 3;
        QTest::newRow("in the second pass") << 8;
    }

    void terminatingStopsAndKeepsWhatIsLeft()
    {
        QFETCH(int, pumps);
        ModelHarness h;
        test::CountingPump pump(pumps);
        ClassModel model(h.options, pump, h.prompter);
        model.ResetModel();
        model.Files().AddMany(kHierarchy);
        Scanner::ResolveFilesList(model, model.Browser(), model.Files(), false);
        // Every class is either attached (with its binding) or still staged.
        QCOMPARE(model.ClassCount() + model.Files().Count(), kHierarchy.size());
        QCOMPARE(model.Bindings().Count(), model.ClassCount());
        QVERIFY(model.Files().Count() > 0);
    }

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

KELVARIN_TEST_GUILESS_MAIN(TestScanner)
#include "tst_scanner.moc"
