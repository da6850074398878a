#include "model/ElapsedTime.h"

#include <QTest>

using namespace kelvarin;

class TestElapsedText : public QObject
{
    Q_OBJECT

private slots:
    void WithoutTimeZone_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zone at the end") << "HH:mm:ss t" << "HH:mm:ss";
        QTest::newRow("zone after AM/PM") << "h:mm:ss AP t" << "h:mm:ss AP";
        QTest::newRow("zone first") << "t HH:mm:ss" << "HH:mm:ss";
        QTest::newRow("zone in the middle keeps one blank") << "HH:mm t ss" << "HH:mm ss";
        QTest::newRow("no zone") << "H:mm:ss" << "H:mm:ss";
        QTest::newRow("quoted t stays") << "H 'at' mm t" << "H 'at' mm";
        QTest::newRow("long zone name") << "HH:mm:ss tttt" << "HH:mm:ss";
    }

    void WithoutTimeZone()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(kelvarin::WithoutTimeZone(format), expected);
    }

    void FormatElapsed_data()
    {
        QTest::addColumn<qint64>("msecs");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three seconds") << qint64(3000) << "H:mm:ss t" << "0:00:03";
        QTest::newRow("padded hours") << qint64(3000) << "HH:mm:ss" << "00:00:03";
        QTest::newRow("below a second") << qint64(400) << "H:mm:ss" << "0:00:00";
        QTest::newRow("hours, minutes, seconds") << qint64(3723000) << "H:mm:ss t" << "1:02:03";
        QTest::newRow("negative counts by its size") << qint64(-3000) << "H:mm:ss" << "0:00:03";
        QTest::newRow("a day wraps") << qint64(86400000 + 1000) << "H:mm:ss" << "0:00:01";
    }

    void FormatElapsed()
    {
        QFETCH(qint64, msecs);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(kelvarin::FormatElapsed(msecs, format), expected);
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
