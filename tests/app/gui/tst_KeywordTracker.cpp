#include "app/KeywordTracker.h"

#include <QTest>

using namespace kelvarin;

class TestKeywordTracker : public QObject
{
    Q_OBJECT

private slots:
    void Feed_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("fired");

        const QStringList none;
        const QStringList crash{QStringLiteral("crash")};
        const QStringList visible{QStringLiteral("visible")};
        QTest::newRow("crash") << "crash" << crash;
        QTest::newRow("breaking character is not a new start") << "crcrash" << none;
        QTest::newRow("doubled first character") << "ccrash" << none;
        QTest::newRow("other character before") << "xcrash" << crash;
        QTest::newRow("visible") << "visible" << visible;
        QTest::newRow("visible twice") << "visiblevisible" << (visible + visible);
        QTest::newRow("case matters") << "CRASH" << none;
        QTest::newRow("crash twice") << "crashcrash" << (crash + crash);
        QTest::newRow("both, in typing order") << "crash visible" << (crash + visible);
        QTest::newRow("interrupted") << "cra sh" << none;
        QTest::newRow("repeated prefix of visible") << "vivisible" << none;
        QTest::newRow("nothing typed") << "" << none;
    }

    void Feed()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, fired);
        KeywordTracker tracker({QStringLiteral("crash"), QStringLiteral("visible")});
        QCOMPARE(tracker.FeedText(typed), fired);
    }

    void CountersStartAgainAfterRecognition()
    {
        KeywordTracker tracker({QStringLiteral("crash")});
        tracker.FeedText(QStringLiteral("cras"));
        QCOMPARE(tracker.Progress(QStringLiteral("crash")), 4);
        QCOMPARE(tracker.Feed(QLatin1Char('h')), QStringList{QStringLiteral("crash")});
        QCOMPARE(tracker.Progress(QStringLiteral("crash")), 0);
    }

    void EachKeywordCountsOnItsOwn()
    {
        // 'v' breaks "crash" but starts "visible" in the same keystroke.
        KeywordTracker tracker({QStringLiteral("crash"), QStringLiteral("visible")});
        tracker.FeedText(QStringLiteral("crv"));
        QCOMPARE(tracker.Progress(QStringLiteral("crash")), 0);
        QCOMPARE(tracker.Progress(QStringLiteral("visible")), 1);
    }
};

QTEST_APPLESS_MAIN(TestKeywordTracker)
#include "tst_KeywordTracker.moc"
