#include "persist/WindowLayout.h"
#include "platform/Errors.h"
#include "platform/RegFileRegistry.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvarin;

namespace {

const QString kKey = QStringLiteral("\\Software\\Vexa\\Kelvarin");

// The values in the order they are read.
const QStringList kReadOrder{"BrowserWidth", "PackageWidth", "WindowTop", "WindowLeft",
                             "WindowWidth", "WindowHeight", "WindowState", "ToolbarVis",
                             "BrowserVis", "PackageBrowserVis", "PackageTag", "PackageListVis"};

// A layout's set values by stored name, flags as 0/1.
QMap<QString, int> Values(const WindowLayout &l)
{
    QMap<QString, int> values;
    auto add = [&](const char *name, auto field) {
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
    return values;
}

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("registry.reg"));
        QFile::remove(m_path);
    }

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
        RegFileRegistry reg(m_path);
        saved.SaveWindowLayout(reg);

        // Written in the writer's order, visibilities as 0/1 dwords.
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        qsizetype last = -1;
        for (const char *name : {"WindowTop", "WindowLeft", "WindowWidth", "WindowHeight", "WindowState",
                                 "BrowserWidth", "PackageWidth", "ToolbarVis", "BrowserVis",
                                 "PackageBrowserVis", "PackageTag", "PackageListVis"}) {
            const qsizetype at = text.indexOf(QByteArray("\"") + name + "\"=dword:");
            QVERIFY2(at > last, name);
            last = at;
        }
        QVERIFY(text.contains("\"ToolbarVis\"=dword:00000000"));
        QVERIFY(text.contains("\"BrowserVis\"=dword:00000001"));

        WindowLayout loaded;
        loaded.LoadWindowLayout(reg);
        QCOMPARE(Values(loaded), Values(saved));
        QCOMPARE(Values(loaded).size(), kReadOrder.size());
    }

    void onlyStoredValuesAreSet()
    {
        RegFileRegistry reg(m_path);
        WindowLayout layout;
        layout.LoadWindowLayout(reg);
        QVERIFY(Values(layout).isEmpty());

        QVERIFY(reg.SetDword(RegRoot::LocalMachine, kKey, QStringLiteral("WindowState"), 1));
        QVERIFY(reg.SetDword(RegRoot::LocalMachine, kKey, QStringLiteral("PackageListVis"), 7));
        layout.LoadWindowLayout(reg);
        QCOMPARE(Values(layout), (QMap<QString, int>{{"WindowState", 1}, {"PackageListVis", 1}}));
    }

    void wrongTypeStopsReading_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < kReadOrder.size(); ++i)
            QTest::newRow(qPrintable(kReadOrder[i])) << i;
    }

    void wrongTypeStopsReading()
    {
        QFETCH(int, index);
        RegFileRegistry reg(m_path);
        for (int i = 0; i < kReadOrder.size(); ++i) {
            QVERIFY(i == index ? reg.SetString(RegRoot::LocalMachine, kKey, kReadOrder[i], QStringLiteral("9"))
                               : reg.SetDword(RegRoot::LocalMachine, kKey, kReadOrder[i], 1));
        }
        WindowLayout layout;
        try {
            layout.LoadWindowLayout(reg);
            QFAIL("no error raised");
        } catch (const KelvarinError &e) {
            QCOMPARE(e.Message(), QStringLiteral("Invalid data type for '%1'").arg(kReadOrder[index]));
        }
        QStringList expected = kReadOrder.mid(0, index);
        expected.sort();
        QCOMPARE(Values(layout).keys(), expected);
    }

    void unopenableKeyFailsAtWindowTop()
    {
        QFile blocker(m_dir.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RegFileRegistry reg(m_dir.filePath(QStringLiteral("blocked/registry.reg")));
        WindowLayout layout;
        layout.windowTop = 1;
        try {
            layout.SaveWindowLayout(reg);
            QFAIL("no error raised");
        } catch (const KelvarinError &e) {
            QCOMPARE(e.Message(), QStringLiteral("Failed to set data for 'WindowTop'"));
        }
    }
};

QTEST_GUILESS_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
