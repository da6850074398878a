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
    // order they came; batches go before, after, between and among equals.
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

    // The tree sort compares texts directly, the sorted lists by their keys:
    // both must give one order, ties between case forms included.
    void directComparisonOrdersAsKeys()
    {
        const QStringList words{"a", "A", "ab", "aB", "b", "_a", "a_b", "a1", "a10", "a2", "Pkg&Actor",
                                "Pkg&actor", "Pkg01&Actor", "Pkg1&Actor", "\u00e9", "\u00c9", "e", "f",
                                "stra\u00dfe", "STRASSE", "z", ""};
        for (const QString &a : words) {
            for (const QString &b : words) {
                const int direct = CompareText(a, UpperCase(a), b, UpperCase(b));
                QVERIFY2(direct == SortKey(a).Compare(SortKey(b)), qPrintable(a + QLatin1String(" / ") + b));
                QCOMPARE(CompareText(a, b), direct);
            }
        }
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestSortedList)
#include "tst_sortedlist.moc"
