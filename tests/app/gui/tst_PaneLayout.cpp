#include "app/PaneLayout.h"

#include <QTest>

using namespace kelvarin;

namespace {

enum class Toggle { ClassesTree, PackagesTree, PackagesList };

PaneLayout Panes(bool browser, bool packages, bool list, int browserWidth, int packagesWidth,
                 int listWidth, int remembered)
{
    PaneLayout p;
    p.browserVisible = browser;
    p.packagesVisible = packages;
    p.listVisible = list;
    p.browserWidth = browserWidth;
    p.packagesWidth = packagesWidth;
    p.listWidth = listWidth;
    p.rememberedPackagesWidth = remembered;
    return p;
}

bool Run(PaneLayout &p, Toggle t)
{
    switch (t) {
    case Toggle::ClassesTree:
        return p.ToggleClassesTree();
    case Toggle::PackagesTree:
        return p.TogglePackagesTree();
    case Toggle::PackagesList:
        return p.TogglePackagesList();
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Toggle)

class TestPaneLayout : public QObject
{
    Q_OBJECT

private slots:
    void Toggles_data()
    {
        QTest::addColumn<bool>("browser");
        QTest::addColumn<bool>("packages");
        QTest::addColumn<bool>("list");
        QTest::addColumn<int>("remembered");
        QTest::addColumn<Toggle>("toggle");
        QTest::addColumn<bool>("ran");
        QTest::addColumn<bool>("browserAfter");
        QTest::addColumn<bool>("packagesAfter");
        QTest::addColumn<bool>("listAfter");
        QTest::addColumn<int>("browserWidthAfter");
        QTest::addColumn<int>("rememberedAfter");

        // Widths before every row: class tree 193, package pane 232, list 97.
        QTest::newRow("hide package tree: class tree takes its width")
            << true << true << true << 0 << Toggle::PackagesTree
            << true << true << false << true << 193 + 232 << 232;
        QTest::newRow("show package tree: class tree gives the remembered width back")
            << true << false << true << 100 << Toggle::PackagesTree
            << true << true << true << true << 193 - 100 << 100;
        QTest::newRow("classes tree alone with the other two hidden: refused")
            << true << false << false << 0 << Toggle::ClassesTree
            << false << true << false << false << 193 << 0;
        QTest::newRow("hide classes tree while the list shows")
            << true << false << true << 0 << Toggle::ClassesTree
            << true << false << false << true << 193 << 0;
        QTest::newRow("package tree alone: refused")
            << false << true << false << 0 << Toggle::PackagesTree
            << false << false << true << false << 193 << 0;
        QTest::newRow("list alone: refused")
            << false << false << true << 0 << Toggle::PackagesList
            << false << false << false << true << 193 << 0;
        QTest::newRow("hide list beside the package tree: no width change")
            << true << true << true << 0 << Toggle::PackagesList
            << true << true << true << false << 193 << 0;
        QTest::newRow("hide list without the package tree: class tree grows")
            << true << false << true << 0 << Toggle::PackagesList
            << true << true << false << false << 193 + 97 << 0;
        QTest::newRow("show list without the package tree: class tree shrinks")
            << true << false << false << 0 << Toggle::PackagesList
            << true << true << false << true << 193 - 97 << 0;
        QTest::newRow("show classes tree while hidden")
            << false << true << true << 0 << Toggle::ClassesTree
            << true << true << true << true << 193 << 0;
    }

    void Toggles()
    {
        QFETCH(bool, browser);
        QFETCH(bool, packages);
        QFETCH(bool, list);
        QFETCH(int, remembered);
        QFETCH(Toggle, toggle);
        QFETCH(bool, ran);
        QFETCH(bool, browserAfter);
        QFETCH(bool, packagesAfter);
        QFETCH(bool, listAfter);
        QFETCH(int, browserWidthAfter);
        QFETCH(int, rememberedAfter);

        PaneLayout p = Panes(browser, packages, list, 193, 232, 97, remembered);
        QCOMPARE(Run(p, toggle), ran);
        QCOMPARE(p.browserVisible, browserAfter);
        QCOMPARE(p.packagesVisible, packagesAfter);
        QCOMPARE(p.listVisible, listAfter);
        QCOMPARE(p.browserWidth, browserWidthAfter);
        QCOMPARE(p.rememberedPackagesWidth, rememberedAfter);
        QCOMPARE(p.listWidth, 97);
    }

    void HidingAndShowingPackageTreeRestoresWidth()
    {
        PaneLayout p = Panes(true, true, true, 193, 232, 97, 0);
        QVERIFY(p.TogglePackagesTree());
        QCOMPARE(p.browserWidth, 425);
        QVERIFY(p.TogglePackagesTree());
        QCOMPARE(p.browserWidth, 193);
        QVERIFY(p.packagesVisible);
    }

    void ListWidthFollowsWhilePackageTreeHidden()
    {
        PaneLayout p = Panes(true, true, true, 193, 232, 97, 0);
        QVERIFY(p.TogglePackagesTree());   // 425
        QVERIFY(p.TogglePackagesList());   // 522
        QCOMPARE(p.browserWidth, 522);
        QVERIFY(p.TogglePackagesList());
        QVERIFY(p.TogglePackagesTree());
        QCOMPARE(p.browserWidth, 193);
    }

    void ClassTreeNeverNarrowerThanItsMinimum()
    {
        PaneLayout p = Panes(true, false, true, 300, 0, 97, 500);
        QVERIFY(p.TogglePackagesTree());
        QCOMPARE(p.browserWidth, int(PaneLayout::MinBrowserWidth));
    }

    void EnsureOneVisible_data()
    {
        QTest::addColumn<bool>("browser");
        QTest::addColumn<bool>("packages");
        QTest::addColumn<bool>("list");
        QTest::addColumn<bool>("browserAfter");
        QTest::newRow("all hidden: class tree shown") << false << false << false << true;
        QTest::newRow("list shown: left alone") << false << false << true << false;
        QTest::newRow("all shown") << true << true << true << true;
    }

    void EnsureOneVisible()
    {
        QFETCH(bool, browser);
        QFETCH(bool, packages);
        QFETCH(bool, list);
        QFETCH(bool, browserAfter);
        PaneLayout p = Panes(browser, packages, list, 193, 232, 97, 0);
        p.EnsureOneVisible();
        QCOMPARE(p.browserVisible, browserAfter);
        QCOMPARE(p.packagesVisible, packages);
        QCOMPARE(p.listVisible, list);
    }
};

QTEST_APPLESS_MAIN(TestPaneLayout)
#include "tst_PaneLayout.moc"
