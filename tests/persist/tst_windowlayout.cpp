#include "persist/WindowLayout.h"
#include "support/Raised.h"
#include "support/TempRegistry.h"

#include <QMap>
#include <QTest>

using namespace kelvarin;
using test::kKelvarinKey;
using test::Raised;
using test::TempRegistry;

namespace {

// The values in the order they are read.
const QStringList kReadOrder{"BrowserWidth", "PackageWidth", "WindowTop", "WindowLeft",
                             "WindowWidth", "WindowHeight", "WindowState", "ToolbarVis",
                             "BrowserVis", "PackageBrowserVis", "PackageTag", "PackageListVis"};

// A layout's set values by stored name, flags as 0/1.
QMap<QString, int> Values(const WindowLayout &l)
{
    QMap<QString, int> values;
    const auto add = [&](const char *name, auto field) {
        if (field)
            values.insert(QLatin1String(name), int(*field));
    };
    add("BrowserWidth", l.browserWidth);
    add("PackageWidth", l.packageWidth);
    add("WindowTop", l.windowTop);
    add("WindowLeft", l.windowLeft);
    add("WindowWidth", l.windowWidth);
    add("WindowHeight", l.windowHeight);
    add("WindowState", l.windowState);
    add("ToolbarVis", l.toolbarVis);
    add("BrowserVis", l.browserVis);
    add("PackageBrowserVis", l.packageBrowserVis);
    add("PackageTag", l.packageTag);
    add("PackageListVis", l.packageListVis);
    add("FindBoxLeft", l.findBoxLeft);
    add("FindBoxTop", l.findBoxTop);
    add("FindBoxWidth", l.findBoxWidth);
    add("FindBoxHeight", l.findBoxHeight);
    for (int column = 0; column < 4; ++column)
        if (l.findBoxColumns[column])
            values.insert(QStringLiteral("FindBoxColumn%1").arg(column), *l.findBoxColumns[column]);
    return values;
}

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        WindowLayout saved;
        saved.windowTop = 10;
        saved.windowLeft = -4;
        saved.windowWidth = 800;
        saved.windowHeight = 600;
        saved.windowState = 2;
        saved.browserWidth = 250;
        saved.packageWidth = 120;
        saved.toolbarVis = false;
        saved.browserVis = true;
        saved.packageBrowserVis = false;
        saved.packageTag = 140;
        saved.packageListVis = true;
        TempRegistry store;
        saved.SaveWindowLayout(store.reg);

        // Every value is a dword, visibilities as 0/1.
        const QByteArray text = store.Bytes();
        QCOMPARE(text.count("=dword:"), kReadOrder.size());
        QVERIFY(text.contains("\"ToolbarVis\"=dword:00000000") && text.contains("\"BrowserVis\"=dword:00000001"));

        WindowLayout loaded;
        loaded.LoadWindowLayout(store.reg);
        QCOMPARE(Values(loaded), Values(saved));
        QCOMPARE(Values(loaded).size(), kReadOrder.size());

        // The finder's place is kept too, once it is known.
        saved.findBoxLeft = 30;
        saved.findBoxTop = -20;
        saved.findBoxWidth = 500;
        saved.findBoxHeight = 360;
        saved.findBoxColumns[0] = 130;
        saved.findBoxColumns[3] = 250;
        saved.SaveWindowLayout(store.reg);
        loaded.LoadWindowLayout(store.reg);
        QCOMPARE(Values(loaded), Values(saved));
        QCOMPARE(Values(loaded).size(), kReadOrder.size() + 6);
    }

    void onlyStoredValuesAreSet()
    {
        TempRegistry store;
        WindowLayout layout;
        layout.LoadWindowLayout(store.reg);
        QVERIFY(Values(layout).isEmpty());

        QVERIFY(store.reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("WindowState"), 1));
        QVERIFY(store.reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("PackageListVis"), 7));
        layout.LoadWindowLayout(store.reg);
        QCOMPARE(Values(layout), (QMap<QString, int>{{"WindowState", 1}, {"PackageListVis", 1}}));
    }

    // Reading stops at a value of the wrong type: those read before it stay.
    void wrongTypeStopsReading_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < kReadOrder.size(); ++i)
            QTest::newRow(qPrintable(kReadOrder[i])) << i;
    }

    void wrongTypeStopsReading()
    {
        QFETCH(int, index);
        TempRegistry store;
        for (int i = 0; i < kReadOrder.size(); ++i) {
            QVERIFY(i == index ? store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, kReadOrder[i], QStringLiteral("9"))
                               : store.reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, kReadOrder[i], 1));
        }
        WindowLayout layout;
        QCOMPARE(Raised([&] { layout.LoadWindowLayout(store.reg); }),
                 QStringLiteral("Invalid data type for '%1'").arg(kReadOrder[index]));
        QStringList expected = kReadOrder.mid(0, index);
        expected.sort();
        QCOMPARE(Values(layout).keys(), expected);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
