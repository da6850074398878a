#include "tools/UccGate.h"

#include <QTest>

using namespace kelvarin;

class TestUccGate : public QObject
{
    Q_OBJECT

private slots:
    // A run of state changes, one letter per step: c / C a compile starts /
    // ends, e / E an export starts / ends; Update follows every step.
    void Steps_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("told");       // the Open values told, in order
        QTest::addColumn<bool>("openAtEnd");
        QTest::newRow("a compile") << "cC" << "01" << true;
        QTest::newRow("an export") << "eE" << "01" << true;
        QTest::newRow("export during a compile: told once") << "ceCE" << "01" << true;
        QTest::newRow("compile ends, export still runs") << "ecC" << "0" << false;
        QTest::newRow("nothing runs") << "" << "" << true;
    }

    void Steps()
    {
        QFETCH(QString, steps);
        QFETCH(QString, told);
        QFETCH(bool, openAtEnd);
        bool compiling = false;
        bool exporting = false;
        UccGate gate([&] { return compiling; }, [&] { return exporting; });
        QString heard;
        gate.SetOpenChanged([&](bool open) { heard += open ? QLatin1Char('1') : QLatin1Char('0'); });
        for (QChar step : steps) {
            const bool starts = step.isLower();
            (step.toLower() == QLatin1Char('c') ? compiling : exporting) = starts;
            gate.Update();
            // Each tool sees the other one, never itself.
            QCOMPARE(gate.CompileRuns(), compiling);
            QCOMPARE(gate.ExportRuns(), exporting);
        }
        QCOMPARE(heard, told);
        QCOMPARE(gate.Open(), openAtEnd);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestUccGate)
#include "tst_uccgate.moc"
