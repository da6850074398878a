#include "model/ElapsedTime.h"

#include <QTest>

using namespace kelvarin;

class TestElapsedText : public QObject
{
    Q_OBJECT

private slots:
    // The elapsed time of day in the given format, less its time zone: a
    // zone in the format would print as the name of the local one.
    void FormatElapsed_data()
    {
        QTest::addColumn<qint64>("msecs");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three seconds") << qint64(3000) << "H:mm:ss" << "0:00:03";
        QTest::newRow("padded hours") << qint64(3000) << "HH:mm:ss" << "00:00:03";
        QTest::newRow("below a second") << qint64(400) << "H:mm:ss" << "0:00:00";
        QTest::newRow("negative counts by its size") << qint64(-3000) << "H:mm:ss" << "0:00:03";
        QTest::newRow("a day wraps") << qint64(86400000 + 1000) << "H:mm:ss" << "0:00:01";
        QTest::newRow("zone at the end") << qint64(3723000) << "H:mm:ss t" << "1:02:03";
        QTest::newRow("zone after AM/PM") << qint64(3723000) << "h:mm:ss AP t" << "1:02:03 AM";
        QTest::newRow("zone first") << qint64(3723000) << "t HH:mm:ss" << "01:02:03";
        QTest::newRow("zone in the middle keeps one blank") << qint64(3723000) << "HH:mm t ss" << "01:02 03";
        QTest::newRow("quoted t stays") << qint64(3723000) << "H 'at' mm t" << "1 at 02";
        QTest::newRow("long zone name") << qint64(3723000) << "HH:mm:ss tttt" << "01:02:03";
    }

    void FormatElapsed()
    {
        QFETCH(qint64, msecs);
        QFETCH(QString, format);
        QTEST(kelvarin::FormatElapsed(msecs, format), "expected");
    }

    void LocaleLongFormatHasNoZone_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("English (US)") << QLocale(QLocale::English, QLocale::UnitedStates);
    }

    void LocaleLongFormatHasNoZone()
    {
        QFETCH(QLocale, locale);
        const QString text = kelvarin::FormatElapsed(3000, locale);
        // Whatever the locale's format, the text is the time of day 0:00:03
        // in it, read back with the same format, and carries no zone name.
        const QString format = kelvarin::WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
        QCOMPARE(QTime::fromString(text, format), QTime(0, 0, 3));
        QVERIFY2(!text.contains(QLatin1String("UTC")) && !text.contains(QLatin1String("GMT")),
                 qPrintable(text));
    }
};

KELVARIN_TEST_APPLESS_MAIN(TestElapsedText)
#include "tst_elapsedtime.moc"
