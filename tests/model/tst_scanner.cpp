#include "model/Scanner.h"
#include "support/CountingPump.h"
#include "support/ModelHarness.h"

#include <QLocale>
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
};

KELVARIN_TEST_GUILESS_MAIN(TestScanner)
#include "tst_scanner.moc"
