#include "model/SortedList.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

using namespace kelvarin;

class TestSortedList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Adding a batch gives the list that adding its entries one by one gives:
    // equal entries (ignoring case) after the ones already there, in the
    // order they came.
    void batchEqualsOneByOne_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("batch");
        QTest::newRow("into an empty list") << QStringList{} << QStringList{"b", "A", "c", "a"};
        QTest::newRow("all after the old ones") << QStringList{"Core&Object"} << QStringList{"Engine&B", "Engine&A"};
        QTest::newRow("all before the old ones") << QStringList{"x", "y"} << QStringList{"b", "a"};
        QTest::newRow("between and among equals")
            << QStringList{"a", "C", "e"} << QStringList{"c", "A", "d", "E", "b", "c"};
        QTest::newRow("one entry") << QStringList{"a", "c"} << QStringList{"B"};
    }

    void batchEqualsOneByOne()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, batch);
        SortedList batched, single;
        for (const QString &entry : before) {
            batched.Add(entry);
            single.Add(entry);
        }
        batched.AddMany(batch);
        for (const QString &entry : batch)
            single.Add(entry);
        QCOMPARE(batched.Entries(), single.Entries());
        for (const QString &entry : batch)
            QCOMPARE(batched.At(batched.IndexOf(entry)).toUpper(), entry.toUpper());
    }

    void randomBatches()
    {
        QRandomGenerator random(11);
        const QStringList words{"a", "A", "b", "B", "ab", "aB", "Ab", "c", "cc", "C", "\u00e9", "\u00c9", "z"};
        for (int round = 0; round < 300; ++round) {
            SortedList batched, single;
            for (int batch = 0; batch < 4; ++batch) {
                QStringList entries;
                const int count = int(random.bounded(8));
                for (int i = 0; i < count; ++i)
                    entries.append(words.at(int(random.bounded(words.size()))));
                batched.AddMany(entries);
                for (const QString &entry : entries)
                    single.Add(entry);
                QCOMPARE(batched.Entries(), single.Entries());
            }
        }
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestSortedList)
#include "tst_sortedlist.moc"
