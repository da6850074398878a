#include "platform/gui/Pickers.h"

#include <QTest>

using namespace kelvarin;

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void ToNameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("program picker")
            << "Executable (*.exe)|*.exe|MS-DOS Executable (*.exe, *.com, *.bat)|*.exe;*.com;*.bat|All files (*.*)|*.*"
            << QStringList{"Executable (*.exe)", "MS-DOS Executable (*.exe *.com *.bat)", "All files (*)"};
        QTest::newRow("description without patterns") << "Sources|*.uc"
                                                       << QStringList{"Sources (*.uc)"};
        QTest::newRow("dangling description dropped") << "Sources|*.uc|Other"
                                                      << QStringList{"Sources (*.uc)"};
        QTest::newRow("empty patterns dropped") << "Nothing|;;|Text|*.txt"
                                                << QStringList{"Text (*.txt)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void ToNameFilters()
    {
        QFETCH(QString, filter);
        QTEST(kelvarin::ToNameFilters(filter), "expected");
    }
};

KELVARIN_TEST_APPLESS_MAIN(TestPickers)
#include "tst_Pickers.moc"
