#include "app/ListAdapters.h"
#include "model/SortedList.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace kelvarin;

class TestListAdapters : public QObject
{
    Q_OBJECT

private slots:
    void SortedListShowsEntriesInOrder()
    {
        SortedList list;
        SortedListAdapter adapter(list);
        QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.Add(QStringLiteral("Engine&Actor"));
        list.Add(QStringLiteral("Botpack&Bot"));
        list.Add(QStringLiteral("core&Object"));
        QCOMPARE(adapter.rowCount(), 3);
        QCOMPARE(adapter.index(0).data().toString(), QStringLiteral("Botpack&Bot"));
        QCOMPARE(adapter.index(1).data().toString(), QStringLiteral("core&Object"));
        list.RemoveAt(1);
        QCOMPARE(adapter.index(1).data().toString(), QStringLiteral("Engine&Actor"));
        list.Assign({QStringLiteral("b"), QStringLiteral("a")});
        QCOMPARE(adapter.rowCount(), 2);
        list.Clear();
        QCOMPARE(adapter.rowCount(), 0);
    }

    void PackageMarks_data()
    {
        QTest::addColumn<int>("mark");
        QTest::addColumn<int>("state");
        QTest::newRow("unchecked") << int(PackageList::Mark::Unchecked) << int(Qt::Unchecked);
        QTest::newRow("checked") << int(PackageList::Mark::Checked) << int(Qt::Checked);
        QTest::newRow("grey") << int(PackageList::Mark::Grey) << int(Qt::PartiallyChecked);
    }

    void PackageMarks()
    {
        QFETCH(int, mark);
        QFETCH(int, state);
        PackageList list;
        PackageListAdapter adapter(list);
        QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.Add(QStringLiteral("Botpack"));
        QSignalSpy changed(&adapter, &QAbstractItemModel::dataChanged);
        list.SetMark(0, PackageList::Mark(mark));
        QCOMPARE(adapter.index(0).data(Qt::CheckStateRole).toInt(), state);
        QCOMPARE(adapter.index(0).data().toString(), QStringLiteral("Botpack"));
        QCOMPARE(changed.isEmpty(), mark == int(PackageList::Mark::Unchecked));
    }

    void TicksAreOffUntilAHandlerIsSet()
    {
        PackageList list;
        PackageListAdapter adapter(list);
        list.Add(QStringLiteral("Botpack"));
        QVERIFY(!(adapter.flags(adapter.index(0)) & Qt::ItemIsUserCheckable));
        QVERIFY(!adapter.setData(adapter.index(0), int(Qt::Checked), Qt::CheckStateRole));
        QCOMPARE(list.MarkAt(0), PackageList::Mark::Unchecked);
    }

    void TicksGoToTheHandler()
    {
        PackageList list;
        PackageListAdapter adapter(list);
        list.Add(QStringLiteral("Botpack"));
        list.Add(QStringLiteral("Core"));
        int tickedRow = -1;
        PackageList::Mark requested = PackageList::Mark::Grey;
        adapter.SetTickHandler([&](int row, PackageList::Mark mark) {
            tickedRow = row;
            requested = mark;
        });
        QVERIFY(adapter.flags(adapter.index(1)) & Qt::ItemIsUserCheckable);
        QVERIFY(adapter.setData(adapter.index(1), int(Qt::Checked), Qt::CheckStateRole));
        QCOMPARE(tickedRow, 1);
        QCOMPARE(requested, PackageList::Mark::Checked);
        // The handler did not change the list, so the mark shown stays.
        QCOMPARE(adapter.index(1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    }
};

QTEST_MAIN(TestListAdapters)
#include "tst_ListAdapters.moc"
