#include "model/SortedList.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>
#include <thread>

using namespace kelvarin;

class TestSortedList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Adding a batch gives the list that adding its entries one by one gives:
    // equal entries (ignoring case) after the ones already there, in the
    // order they came; batches go before, after, between and among equals.
    // Batches join the list when it is next looked at: several may wait, and
    // whatever looks next (a row, a lookup, a change) sees them all in place.
    void randomBatches()
    {
        QRandomGenerator random(11);
        const QStringList words{"a", "A", "b", "B", "ab", "aB", "Ab", "c", "cc", "C", "\u00e9", "\u00c9", "z"};
        for (int round = 0; round < 300; ++round) {
            SortedList batched, single;
            for (int batch = 0; batch < 6; ++batch) {
                QStringList entries;
                const int count = int(random.bounded(8));
                for (int i = 0; i < count; ++i)
                    entries.append(words.at(int(random.bounded(words.size()))));
                batched.AddMany(entries);
                for (const QString &entry : entries)
                    single.Add(entry);
                QCOMPARE(batched.Count(), single.Count());
                const QString word = words.at(int(random.bounded(words.size())));
                switch (random.bounded(6)) {
                case 0:
                    QCOMPARE(batched.Entries(), single.Entries());
                    break;
                case 1:
                    if (single.Count() > 0)
                        QCOMPARE(batched.At(single.Count() - 1), single.At(single.Count() - 1));
                    break;
                case 2:
                    QCOMPARE(batched.IndexOf(word), single.IndexOf(word));
                    break;
                case 3:
                    QCOMPARE(batched.Add(word), single.Add(word));
                    break;
                default:
                    break;   // the next batch waits with this one
                }
            }
            QCOMPARE(batched.Entries(), single.Entries());
        }
    }

    // A cleared list is empty at once, whatever it held (a large one's
    // entries are freed on a helper thread), and then works as a new one.
    void clearedListIsEmpty_data()
    {
        QTest::addColumn<int>("merged");
        QTest::addColumn<int>("waiting");   // added as a batch, not yet merged
        QTest::newRow("small") << 3 << 2;
        QTest::newRow("large, merged") << 1500 << 0;
        QTest::newRow("large, waiting") << 0 << 1500;
        QTest::newRow("large, both") << 800 << 800;
    }

    void clearedListIsEmpty()
    {
        QFETCH(int, merged);
        QFETCH(int, waiting);
        QStringList entries;
        for (int i = 0; i < merged + waiting; ++i)
            entries.append(QStringLiteral("E%1").arg(i));
        SortedList list;
        for (int round = 0; round < 2; ++round) {
            list.AddMany(entries.mid(0, merged));
            QCOMPARE(list.Entries().size(), merged);
            list.AddMany(entries.mid(merged));
            list.Clear();
            QCOMPARE(list.Count(), 0);
            QCOMPARE(list.IndexOf(QStringLiteral("E1")), -1);
            list.AddMany({QStringLiteral("b"), QStringLiteral("a")});
            QCOMPARE(list.Entries(), (QStringList{"a", "b"}));
            list.Clear();
        }
    }

    // The tree sort compares texts directly, the sorted lists by their keys:
    // both must give one order, ties between case forms included.
    void directComparisonOrdersAsKeys_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("C (no collation)") << QLocale::c();
        QTest::newRow("tr_TR (dotted capital I)") << QLocale(QLocale::Turkish, QLocale::Turkey);
    }

    void directComparisonOrdersAsKeys()
    {
        QFETCH(QLocale, locale);
        const QStringList words{"a", "A", "ab", "aB", "b", "_a", "a_b", "a1", "a10", "a2", "Pkg&Actor",
                                "Pkg&actor", "Pkg01&Actor", "Pkg1&Actor", "\u00e9", "\u00c9", "e", "f",
                                "stra\u00dfe", "STRASSE", "z", "", "i", "I", "ia\u00e9", "Ib", "\u0130"};
        // Each thread's collation follows the default locale when it is first
        // used: a new thread sees the locale of the row.
        QStringList wrong;
        QLocale::setDefault(locale);
        std::thread([&] {
            for (const QString &a : words) {
                for (const QString &b : words) {
                    const int byKeys = SortKey(a).Compare(SortKey(b));
                    if (CompareText(a, UpperCase(a), b, UpperCase(b)) != byKeys || CompareText(a, b) != byKeys)
                        wrong.append(a + QLatin1String(" / ") + b);
                }
            }
        }).join();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(wrong, QStringList());
    }

    // A list taken as saved makes its keys only where it is probed; lookups
    // and additions give what the list built entry by entry gives.
    void takenInOrder()
    {
        QRandomGenerator random(5);
        const QStringList words{"a", "A", "b", "ab", "aB", "c", "C", "\u00e9", "\u00c9", "z"};
        for (int round = 0; round < 100; ++round) {
            SortedList built;
            for (int i = 0, count = int(random.bounded(12)); i < count; ++i)
                built.Add(words.at(int(random.bounded(words.size()))));
            QVERIFY(SortedList::IsInOrder(built.Entries()));
            SortedList taken;
            taken.Assign(built.Entries());
            // Each kind of change as the first thing done to a list taken in order.
            const QString word = words.at(int(random.bounded(words.size())));
            const std::vector<char> keepOdd = [&built] {
                std::vector<char> keep(size_t(built.Count()));
                for (size_t row = 0; row < keep.size(); ++row)
                    keep[row] = char(row % 2);
                return keep;
            }();
            const std::function<void(SortedList &)> changes[] = {
                [&word](SortedList &list) { list.Add(word); },
                [&word](SortedList &list) { list.AddMany({word, word}); },
                [](SortedList &list) { list.RemoveAt(0); },
                [&keepOdd](SortedList &list) { list.KeepOnly(keepOdd); },
            };
            for (const auto &change : changes) {
                SortedList changed, expected;
                changed.AssignInOrder(built.Entries());
                for (const QString &entry : built.Entries())
                    expected.Add(entry);
                change(changed);
                change(expected);
                QCOMPARE(changed.Entries(), expected.Entries());
                QCOMPARE(changed.IndexOf(word), expected.IndexOf(word));
            }
            for (const QString &word : words)
                QCOMPARE(taken.IndexOf(word), built.IndexOf(word));
            const QStringList more{words.at(int(random.bounded(words.size()))), words.at(int(random.bounded(words.size())))};
            taken.AddMany(more);
            for (const QString &entry : more)
                built.Add(entry);
            QCOMPARE(taken.Entries(), built.Entries());
        }
        // Out of order, the list is sorted on the way in.
        const QStringList shuffled{"c", "A", "b", "a"};
        QVERIFY(!SortedList::IsInOrder(shuffled));
        SortedList sorted;
        sorted.Assign(shuffled);
        QCOMPARE(sorted.Entries(), (QStringList{"A", "a", "b", "c"}));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestSortedList)
#include "tst_sortedlist.moc"
