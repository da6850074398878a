#include "app/gui/ListAdapters.h"
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
        QTest::addColumn<PackageList::Mark>("mark");
        QTest::addColumn<Qt::CheckState>("state");
        QTest::newRow("unchecked") << PackageList::Mark::Unchecked << Qt::Unchecked;
        QTest::newRow("checked") << PackageList::Mark::Checked << Qt::Checked;
        QTest::newRow("grey") << PackageList::Mark::Grey << Qt::PartiallyChecked;
    }

    void PackageMarks()
    {
        QFETCH(PackageList::Mark, mark);
        QFETCH(Qt::CheckState, state);
        PackageList list;
        PackageListAdapter adapter(list);
        QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.Add(QStringLiteral("Botpack"));
        QSignalSpy changed(&adapter, &QAbstractItemModel::dataChanged);
        list.SetMark(0, mark);
        QCOMPARE(adapter.index(0).data(Qt::CheckStateRole).toInt(), int(state));
        QCOMPARE(adapter.index(0).data().toString(), QStringLiteral("Botpack"));
        QCOMPARE(changed.isEmpty(), mark == PackageList::Mark::Unchecked);
        // Ticks are off until a handler is set; with one, they are requests
        // to it: see the main window's package commands.
        QVERIFY(!(adapter.flags(adapter.index(0)) & Qt::ItemIsUserCheckable));
        QVERIFY(!adapter.setData(adapter.index(0), int(Qt::Checked), Qt::CheckStateRole));
        QCOMPARE(list.MarkAt(0), mark);
    }
};

KELVARIN_TEST_MAIN(TestListAdapters)
#include "tst_ListAdapters.moc"
