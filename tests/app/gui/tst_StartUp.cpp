#include "app/gui/StartUp.h"

#include <QHash>
#include <QTest>

using namespace kelvarin;

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void HasDisplay_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<bool>("expected");
        QTest::newRow("nothing set") << "" << "" << "" << false;
        QTest::newRow("X11") << "" << ":0" << "" << true;
        QTest::newRow("Wayland") << "" << "" << "wayland-0" << true;
        QTest::newRow("chosen platform") << "offscreen" << "" << "" << true;
    }

    void HasDisplay()
    {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(bool, expected);
        const QHash<QString, QString> env{{"QT_QPA_PLATFORM", platform},
                                          {"DISPLAY", display},
                                          {"WAYLAND_DISPLAY", wayland}};
        const bool answer = StartUp::HasDisplay(
            [&](const char *name) { return env.value(QLatin1String(name)); });
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        QCOMPARE(answer, expected);
#else
        QVERIFY(answer);
        Q_UNUSED(expected);
#endif
    }
};

QTEST_APPLESS_MAIN(TestStartUp)
#include "tst_StartUp.moc"
