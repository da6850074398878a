#include "model/Scanner.h"
#include "support/ModelHarness.h"

#include <QLocale>
#include <QtTest>

using namespace kelvarin;
using kelvarin::test::DumpTree;
using kelvarin::test::ModelHarness;

namespace {

// Terminates the application after a given number of pumps.
class CountdownPump : public EventPump
{
public:
    explicit CountdownPump(int pumps) : m_left(pumps) {}
    void Pump() override
    {
        if (m_left > 0)
            --m_left;
    }
    bool Terminating() const override { return m_left == 0; }
    void SetTerminating() override { m_left = 0; }

private:
    int m_left;
};

QString ClassesDir(const ModelHarness &h, const QString &package)
{
    return h.options.BaseDir + QLatin1Char('\\') + package + QLatin1String("\\Classes\\");
}

} // namespace

class TestScanner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // What a source file stages, whatever its content.
    void stagedLine_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("declaration") << "Foo.uc" << QByteArray("class Foo expands Bar;\r\n") << "Bar=Foo&Pkg";
        QTest::newRow("class name from the file name") << "Baz.uc" << QByteArray("class Foo extends Bar;") << "Bar=Baz&Pkg";
        QTest::newRow("no parent") << "Object.uc" << QByteArray("class Object native;") << "=Object&Pkg";
        QTest::newRow("empty file") << "Empty.uc" << QByteArray() << "=Empty&Pkg";
        QTest::newRow("latin-1 comment") << "Cafe.uc" << QByteArray("// R\xe9sum\xe9 \xff\r\nclass Cafe extends Bar;") << "Bar=Cafe&Pkg";
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 7919) % 256));
        QTest::newRow("binary junk") << "Junk.uc" << junk << "=Junk&Pkg";
        QTest::newRow("100 KB single line") << "Long.uc"
                                            << (QByteArray(100 * 1024, '/') + "\r\nclass Long extends Bar;")
                                            << "Bar=Long&Pkg";
        QByteArray utf16("\xff\xfe", 2);
        for (char c : QByteArray("class Wide extends Bar;\r\n")) {
            utf16.append(c);
            utf16.append('\0');
        }
        QTest::newRow("UTF-16 with byte-order mark") << "Wide.uc" << utf16 << "Bar=Wide&Pkg";
        QTest::newRow("UTF-8 with byte-order mark") << "Bom.uc" << QByteArray("\xef\xbb\xbf" "class Bom extends Bar;") << "Bar=Bom&Pkg";
    }

    void stagedLine()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        ModelHarness h;
        h.game.WriteBytes(QStringLiteral("Pkg/Classes/") + fileName, content);
        SortedList list;
        Scanner::ScanPackageDir(h.model, list, ClassesDir(h, QStringLiteral("Pkg")));
        QCOMPARE(list.Entries(), QStringList{expected});
    }

    void namesThatAreNotSources()
    {
        ModelHarness h;
        for (const QString &name : {QStringLiteral("Good.uc"), QStringLiteral("Upper.UC"), QStringLiteral("a.uc.uc"),
                                    QStringLiteral("x.ucx"), QStringLiteral(".uc")})
            h.game.WriteClass(QStringLiteral("Pkg"), name, QStringLiteral("class X;"));
        SortedList list;
        Scanner::ScanPackageDir(h.model, list, ClassesDir(h, QStringLiteral("Pkg")));
        QCOMPARE(list.Entries(), QStringList{QStringLiteral("=Good&Pkg")});
        // A classes path without "\Classes\" names no package: nothing is staged.
        Scanner::ScanPackageDir(h.model, list, h.options.BaseDir + QStringLiteral("\\Pkg\\"));
        QCOMPARE(list.Count(), 1);
    }

    void resolveAttachesInOnePassWhereOrderAllows()
    {
        ModelHarness h;
        // Staged lines sort by parent: "=Object" first, then "Actor=Info",
        // "Info=Zone", "Object=Actor". Info waits for Actor, which comes later
        // in the same pass, so a second pass attaches Info and then Zone.
        SortedList &files = h.model.Files();
        files.AddMany({QStringLiteral("=Object&Core"), QStringLiteral("Object=Actor&Engine"),
                       QStringLiteral("Actor=Info&Engine"), QStringLiteral("Info=Zone&Engine"),
                       QStringLiteral("Missing=Lost&Mod"), QStringLiteral("broken entry"),
                       QStringLiteral("=&Nameless")});
        Scanner::ResolveFilesList(h.model, h.model.Browser(), files, false);
        QCOMPARE(DumpTree(h.model.Browser()),
                 (QStringList{QStringLiteral("Classes"), QStringLiteral("-Object"), QStringLiteral("--Actor"),
                              QStringLiteral("---Info"), QStringLiteral("----Zone")}));
        QCOMPARE(files.Entries(), QStringList{QStringLiteral("Missing=Lost&Mod")});
        QCOMPARE(h.model.Bindings().Entries(),
                 (QStringList{QStringLiteral("Core&Object"), QStringLiteral("Engine&Actor"),
                              QStringLiteral("Engine&Info"), QStringLiteral("Engine&Zone")}));
        QCOMPARE(h.model.FindPackage(QStringLiteral("zone")), QStringLiteral("Engine"));
        // The waiting class is in neither tree.
        QVERIFY(!h.model.FindNode(h.model.Browser(), QStringLiteral("Lost")));
        QVERIFY(!h.model.IsPackageLoaded(QStringLiteral("Mod")));
    }

    void memoRemembersMissesAndReportsEachDistinctParentOnce()
    {
        ModelHarness h;
        SortedList &files = h.model.Files();
        files.AddMany({QStringLiteral("Gone=A&Mod"), QStringLiteral("Gone=B&Mod"), QStringLiteral("Gone=C&Mod"),
                       QStringLiteral("Away=D&Mod")});
        Scanner::ResolveFilesList(h.model, h.model.Browser(), files, false);
        // One pass, two distinct parents (sorted: Away, Gone): two lookups.
        QCOMPARE(h.StatusesStartingWith(QStringLiteral("Processing: ")),
                 (QStringList{QStringLiteral("Processing: Away"), QStringLiteral("Processing: Gone")}));
        QCOMPARE(files.Count(), 4);
        // A removal of class-tree nodes forgets the memo: the next lookup of
        // the same parent searches again.
        h.model.ForgetMemo();
        h.statuses.clear();
        Scanner::AttachClass(h.model, h.model.Browser(), QStringLiteral("Gone"), QStringLiteral("X"));
        QCOMPARE(h.statuses, QStringList{QStringLiteral("Processing: Gone")});
    }

    void fileNodesComeWithThePackageEvenWhenNoClassAttaches()
    {
        ModelHarness h;
        h.game.WriteText(QStringLiteral("System/Mod.int"), QStringLiteral("[Public]\r\n"));
        h.game.WriteText(QStringLiteral("System/Mod.ini"), QStringLiteral("[Mod]\r\n"));
        h.model.Files().Add(QStringLiteral("Missing=Lost&Mod"));
        Scanner::ResolveFilesList(h.model, h.model.Browser(), h.model.Files(), false);
        QCOMPARE(DumpTree(h.model.PackagesBrowser()),
                 (QStringList{QStringLiteral("Packages"), QStringLiteral("-Mod"), QStringLiteral("--Mod.int"),
                              QStringLiteral("--Mod.ini")}));
        // Resolving again with merge adds no second file node.
        Scanner::ResolveFilesList(h.model, h.model.Browser(), h.model.Files(), true);
        QCOMPARE(h.model.PackagesBrowser().Count(), 4);
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
        CountdownPump pump(pumps);
        ClassModel model(h.options, pump, h.prompter);
        model.ResetModel();
        const QStringList staged{QStringLiteral("=Object&Core"), QStringLiteral("Object=Actor&Engine"),
                                 QStringLiteral("Actor=Info&Engine"), QStringLiteral("Info=Zone&Engine")};
        model.Files().AddMany(staged);
        Scanner::ResolveFilesList(model, model.Browser(), model.Files(), false);
        // Every class is either attached (with its binding) or still staged.
        QCOMPARE(model.ClassCount() + model.Files().Count(), staged.size());
        QCOMPARE(model.Bindings().Count(), model.ClassCount());
        QVERIFY(model.Files().Count() > 0);
    }
};

QTEST_GUILESS_MAIN(TestScanner)
#include "tst_scanner.moc"
