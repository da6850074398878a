#include "app/PaneLayout.h"

#include <QTest>

using namespace kelvarin;

namespace {

enum class Toggle { ClassesTree, PackagesTree, PackagesList, EnsureOneVisible };

// Visible panes as letters: c(lass tree), p(ackage tree), l(ist); "-" for a hidden one.
QString Shown(const PaneLayout &p)
{
    return QLatin1String(p.browserVisible ? "c" : "-") + QLatin1String(p.packagesVisible ? "p" : "-")
        + QLatin1String(p.listVisible ? "l" : "-");
}

} // namespace

Q_DECLARE_METATYPE(Toggle)

class TestPaneLayout : public QObject
{
    Q_OBJECT

private slots:
    void Toggles_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("remembered");
        QTest::addColumn<Toggle>("toggle");
        QTest::addColumn<bool>("ran");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<int>("browserWidthAfter");
        QTest::addColumn<int>("rememberedAfter");

        // Widths before every row: class tree 193, package pane 232, list 97.
        QTest::newRow("hide package tree: class tree takes its width")
            << "cpl" << 0 << Toggle::PackagesTree << true << "c-l" << 193 + 232 << 232;
        QTest::newRow("show package tree: class tree gives the remembered width back")
            << "c-l" << 100 << Toggle::PackagesTree << true << "cpl" << 193 - 100 << 100;
        QTest::newRow("show package tree: class tree keeps its minimum width")
            << "c-l" << 500 << Toggle::PackagesTree << true << "cpl" << 50 << 500;
        QTest::newRow("class tree alone: refused") << "c--" << 0 << Toggle::ClassesTree << false << "c--" << 193 << 0;
        QTest::newRow("hide class tree while the list shows")
            << "c-l" << 0 << Toggle::ClassesTree << true << "--l" << 193 << 0;
        QTest::newRow("show class tree") << "-pl" << 0 << Toggle::ClassesTree << true << "cpl" << 193 << 0;
        QTest::newRow("package tree alone: refused") << "-p-" << 0 << Toggle::PackagesTree << false << "-p-" << 193 << 0;
        QTest::newRow("list alone: refused") << "--l" << 0 << Toggle::PackagesList << false << "--l" << 193 << 0;
        QTest::newRow("hide list beside the package tree: no width change")
            << "cpl" << 0 << Toggle::PackagesList << true << "cp-" << 193 << 0;
        QTest::newRow("hide list without the package tree: class tree grows")
            << "c-l" << 0 << Toggle::PackagesList << true << "c--" << 193 + 97 << 0;
        QTest::newRow("show list without the package tree: class tree shrinks")
            << "c--" << 0 << Toggle::PackagesList << true << "c-l" << 193 - 97 << 0;
        // A stored layout may hide all three panes, which no toggle undoes.
        QTest::newRow("all hidden: class tree shown") << "---" << 0 << Toggle::EnsureOneVisible << true << "c--" << 193 << 0;
        QTest::newRow("one visible: left alone") << "--l" << 0 << Toggle::EnsureOneVisible << true << "--l" << 193 << 0;
    }

    void Toggles()
    {
        QFETCH(QString, shown);
        QFETCH(int, remembered);
        QFETCH(Toggle, toggle);
        QFETCH(bool, ran);
        QFETCH(QString, shownAfter);
        QFETCH(int, browserWidthAfter);
        QFETCH(int, rememberedAfter);

        PaneLayout p;
        p.browserVisible = shown[0] != QLatin1Char('-');
        p.packagesVisible = shown[1] != QLatin1Char('-');
        p.listVisible = shown[2] != QLatin1Char('-');
        p.browserWidth = 193;
        p.packagesWidth = 232;
        p.listWidth = 97;
        p.rememberedPackagesWidth = remembered;
        bool result = true;
        switch (toggle) {
        case Toggle::ClassesTree: result = p.ToggleClassesTree(); break;
        case Toggle::PackagesTree: result = p.TogglePackagesTree(); break;
        case Toggle::PackagesList: result = p.TogglePackagesList(); break;
        case Toggle::EnsureOneVisible: p.EnsureOneVisible(); break;
        }
        QCOMPARE(result, ran);
        QCOMPARE(Shown(p), shownAfter);
        QCOMPARE(p.browserWidth, browserWidthAfter);
        QCOMPARE(p.rememberedPackagesWidth, rememberedAfter);
        QCOMPARE(p.listWidth, 97);
    }
};

KELVARIN_TEST_APPLESS_MAIN(TestPaneLayout)
#include "tst_PaneLayout.moc"
