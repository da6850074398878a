// The exporter's window: both lists and the four moves, the busy and idle
// states of Go and Close/Cancel, a frame close while busy.

#include "support/FakeProcess.h"
#include "support/ModelHarness.h"
#include "support/RecordingShell.h"
#include "tools/PackageExporter.h"
#include "tools/gui/ExporterForm.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace kelvarin;
using namespace kelvarin::test;

namespace {

QStringList Items(QListWidget *list)
{
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    return items;
}

struct Window
{
    ModelHarness h;
    RecordingErrors errors;
    PackageExporter exporter{h.model, errors};
    TExporterForm form{exporter};
    int refreshes = 0;
    int starts = 0;

    explicit Window(const QStringList &packages)
    {
        for (const QString &p : packages)
            h.game.WriteBytes("System/" + p + ".u", "x");
        exporter.SetRefreshHandler([this] { ++refreshes; });
        // UCC.exe runs until it is ended: the window stays busy until Cancel.
        exporter.SetProgramStarter([this](const ProgramCommand &, int *) -> std::shared_ptr<RunningProcess> {
            ++starts;
            auto process = std::make_shared<FakeProcess>();
            process->terminateEnds = true;
            return process;
        });
        form.show();
    }

    void Select(QListWidget *list, const QStringList &texts)
    {
        list->clearSelection();
        for (const QString &t : texts)
            list->findItems(t, Qt::MatchExactly).first()->setSelected(true);
    }

    QList<QWidget *> Controls()
    {
        return {form.FoundList(), form.ExportList(), form.AddAllButton(), form.AddButton(),
                form.RemoveButton(), form.RemoveAllButton(), form.GoButton()};
    }
};

} // namespace

class tst_ExporterForm : public QObject
{
    Q_OBJECT

private slots:
    void showListsThePackagesAndMovesThem()
    {
        Window w({"MyMod", "Botpack", "Zeta", "alpha"});
        QCOMPARE(w.form.StatusText(), QStringLiteral("Idle"));
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"alpha", "Botpack", "MyMod", "Zeta"}));
        QVERIFY(Items(w.form.ExportList()).isEmpty());

        w.Select(w.form.FoundList(), {"Zeta", "Botpack"});
        QTest::mouseClick(w.form.AddButton(), Qt::LeftButton);
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"alpha", "MyMod"}));
        QCOMPARE(Items(w.form.ExportList()), (QStringList{"Botpack", "Zeta"}));

        // A double click moves the item under the mouse (it is selected).
        QListWidgetItem *item = w.form.ExportList()->findItems("Zeta", Qt::MatchExactly).first();
        w.Select(w.form.ExportList(), {"Zeta"});
        emit w.form.ExportList()->itemDoubleClicked(item);
        QCOMPARE(Items(w.form.ExportList()), QStringList{"Botpack"});

        QTest::mouseClick(w.form.AddAllButton(), Qt::LeftButton);
        QVERIFY(Items(w.form.FoundList()).isEmpty());
        QCOMPARE(Items(w.form.ExportList()).size(), 4);
        QTest::mouseClick(w.form.RemoveAllButton(), Qt::LeftButton);
        QCOMPARE(Items(w.form.FoundList()).size(), 4);
        QVERIFY(Items(w.form.ExportList()).isEmpty());

        // Shown again, the window scans afresh and nothing is queued.
        QTest::mouseClick(w.form.AddAllButton(), Qt::LeftButton);
        w.form.close();
        w.h.game.WriteBytes("System/B.u", "x");
        w.form.show();
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"alpha", "B", "Botpack", "MyMod", "Zeta"}));
        QVERIFY(Items(w.form.ExportList()).isEmpty());
    }

    // Busy, every control is off and Close is Cancel; Cancel (the button or
    // Esc) brings them back and the window stays; Close (the same button or
    // Esc again) closes it and has the model refreshed once.
    void goCancelCloseStates_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("the button") << false;
        QTest::newRow("Esc") << true;
    }

    void goCancelCloseStates()
    {
        QFETCH(bool, escape);
        Window w({"A", "B"});
        const auto cancelOrClose = [&] {
            if (escape)
                QTest::keyClick(&w.form, Qt::Key_Escape);
            else
                QTest::mouseClick(w.form.CloseButton(), Qt::LeftButton);
        };
        w.form.AddAllButtonClick();
        QTest::mouseClick(w.form.GoButton(), Qt::LeftButton);
        QCOMPARE(w.starts, 1);
        for (QWidget *c : w.Controls())
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        QCOMPARE(w.form.GoButton()->text(), QStringLiteral("Busy"));
        QCOMPARE(w.form.CloseButton()->text(), QStringLiteral("&Cancel"));
        QCOMPARE(w.form.StatusText(), QStringLiteral("Exporting A"));

        cancelOrClose();
        QVERIFY(w.form.isVisible());
        QVERIFY(!w.exporter.IsBusy());
        for (QWidget *c : w.Controls())
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
        QCOMPARE(w.form.GoButton()->text(), QStringLiteral("&Go"));
        QCOMPARE(w.form.CloseButton()->text(), QStringLiteral("&Close"));
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"A", "B"}));
        QCOMPARE(w.refreshes, 0);

        cancelOrClose();
        QVERIFY(!w.form.isVisible());
        QCOMPARE(w.refreshes, 1);
    }

    void frameCloseWhileBusyCancelsThenCloses()
    {
        Window w({"A"});
        w.form.AddAllButtonClick();
        w.form.GoButtonClick();
        QVERIFY(w.exporter.IsBusy());
        QVERIFY(w.form.close());
        QVERIFY(!w.form.isVisible());
        QTRY_VERIFY(!w.exporter.Busy());   // once the ended UCC.exe is seen to end
        QCOMPARE(w.refreshes, 1);
        QCOMPARE(w.form.GoButton()->text(), QStringLiteral("&Go"));
        QCOMPARE(w.exporter.FoundList().Entries(), QStringList{"A"});
    }
};

KELVARIN_TEST_MAIN(tst_ExporterForm)
#include "tst_ExporterForm.moc"
