// The class finder's window, driven as a user drives it: the pop-up hands it
// a node, Find walks the live trees, and Stop, Reset and Close arrive in the
// middle of a walk through the event pump.

#include "model/PackageLoader.h"
#include "search/ClassFinder.h"
#include "search/gui/FindBox.h"
#include "support/ModelHarness.h"
#include "support/ScriptedPump.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace kelvarin;
using test::NodeAtPath;

namespace {

// Core (Object) and Engine (Actor, Info, Pawn below Actor), each source with
// "defaultproperties" on its third line.
struct Finder
{
    Finder()
    {
        options.BaseDir = game.Base();
        for (const char *line : {"Core Object", "Engine Actor Object", "Engine Info Actor", "Engine Pawn Actor"}) {
            const QStringList parts = QString::fromLatin1(line).split(QLatin1Char(' '));
            const QString declaration = QStringLiteral("class ") + parts[1]
                + (parts.size() > 2 ? QStringLiteral(" expands ") + parts[2] : QString()) + QLatin1Char(';');
            game.WriteText(parts[0] + QStringLiteral("/Classes/") + parts[1] + QStringLiteral(".uc"),
                           declaration + QStringLiteral("\r\n\r\ndefaultproperties\r\n{\r\n}\r\n"));
        }
        model.ResetModel();
        PackageLoader loader(model);
        loader.LoadPackage(QStringLiteral("Core"), false);
        loader.LoadPackage(QStringLiteral("Engine"), false);
        model.SortTrees();
        box.SetBrowseHandler([this](int column, TreeNode *node) { browsed.append({column, node}); });
        box.SetEditHandler([this](TreeNode *node) { edited.append(node); });
    }

    TreeNode *Class(const QString &path) { return NodeAtPath(model.Browser(), path); }

    QStringList Rows() const
    {
        QStringList rows;
        QTableWidget *grid = box.ResultsGrid();
        for (int row = 0; row < grid->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < TFindBox::ColumnCount; ++column)
                cells << (grid->item(row, column) ? grid->item(row, column)->text() : QString());
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    test::GameDir game;
    TOptions options;
    test::ScriptedPump pump;
    test::ScriptedPrompter prompter;
    ClassModel model{options, pump, prompter};
    ClassFinder finder{model};
    TFindBox box{finder, prompter};
    QList<QPair<int, TreeNode *>> browsed;
    QList<TreeNode *> edited;
};

const QString EmptyRow = QStringLiteral("|||");

} // namespace

class TestFindBox : public QObject
{
    Q_OBJECT

private slots:
    void ShownForANodeOfferingItsChoices()
    {
        Finder f;
        // The captions for each kind of node are the finder's (tst_ClassFinder).
        f.box.ShowFor(f.Class(QStringLiteral("Classes/Object/Actor")));
        QVERIFY(f.box.NodeSelector()->isEnabled());
        QVERIFY(f.box.SearchInItem(1)->isChecked());
        QCOMPARE(f.box.SearchInItem(2)->text(), QStringLiteral("Class Actor and parents"));

        f.box.ShowFor(nullptr);   // a right click where nothing was selected
        QVERIFY(!f.box.NodeSelector()->isEnabled());
        QVERIFY(f.box.SearchInItem(0)->isChecked());
        QCOMPARE(f.box.windowTitle(), QStringLiteral("Find classes..."));

        // The node goes (here with its parent): the choice goes back to all
        // classes. What a search then walks is the finder's.
        f.box.ShowFor(f.Class(QStringLiteral("Classes/Object/Actor/Info")));
        QVERIFY(f.box.NodeSelector()->isEnabled());
        f.model.Browser().Remove(f.Class(QStringLiteral("Classes/Object/Actor")));
        QVERIFY(!f.box.NodeSelector()->isEnabled());
        QVERIFY(f.box.SearchInItem(0)->isChecked());
    }

    void LookingForNothing()
    {
        Finder f;
        f.box.NameEdit()->setText(QString());
        f.box.FindButtonClick();
        QCOMPARE(f.prompter.Texts(), QStringList{"Looking for nothing?"});
        QCOMPARE(f.prompter.shown.first().icon, MessageIcon::None);
        QCOMPARE(f.Rows(), QStringList{EmptyRow});

        f.box.NameEdit()->setText(QStringLiteral(" "));   // a blank is a text
        f.box.FindButtonClick();
        QCOMPARE(f.prompter.shown.size(), 1);
    }

    void ResultsFillTheGridInTreeOrder()
    {
        Finder f;
        f.box.ShowFor(f.Class(QStringLiteral("Classes/Object/Actor")));
        f.box.ContainEdit()->setText(QStringLiteral("DefaultProperties"));
        f.box.FindButtonClick();
        QCOMPARE(f.Rows(), (QStringList{"Actor|Engine|3|defaultproperties", "Info|Engine|3|defaultproperties",
                                        "Pawn|Engine|3|defaultproperties", EmptyRow}));
        QCOMPARE(f.box.StatusText(), QStringLiteral("Done searching."));
        QVERIFY(f.box.FindButton()->isEnabled());
        QVERIFY(!f.box.StopButton()->isEnabled());

        // Toward parents: Actor, then Object; never the root.
        f.box.SearchInItem(2)->click();
        f.box.ContainEdit()->clear();
        f.box.NameEdit()->setText(QStringLiteral("t"));
        f.box.FindButtonClick();
        // Found by name alone: no line was looked for, the Line cell stays empty.
        QCOMPARE(f.Rows(), (QStringList{"Actor|Engine||", "Object|Core||", EmptyRow}));
    }

    // Clicks that reach the window while the walk lets events run.
    void CommandsDuringASearch_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("visible");
        // The walk pumps before each node below the root: the third pump
        // comes before Info, after Object and Actor were found.
        const QStringList soFar{"Object|Core||", "Actor|Engine||", EmptyRow};
        QTest::newRow("stop") << "stop" << soFar << true;
        QTest::newRow("reset") << "reset" << QStringList{EmptyRow} << true;
        QTest::newRow("close") << "close" << soFar << false;
    }

    void CommandsDuringASearch()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, rows);
        QFETCH(bool, visible);
        Finder f;
        f.box.ShowFor(nullptr);
        f.box.NameEdit()->setText(QStringLiteral("o"));   // Object, Actor, Info
        bool stopEnabled = false;
        bool findEnabled = true;
        f.pump.actionAt = 3;
        f.pump.action = [&] {
            stopEnabled = f.box.StopButton()->isEnabled();
            findEnabled = f.box.FindButton()->isEnabled();
            if (command == QLatin1String("stop"))
                f.box.StopButton()->click();
            else if (command == QLatin1String("reset"))
                f.box.ResetAll();
            else
                f.box.CloseButtonClick();
        };
        f.pump.calls = 0;
        f.box.FindButtonClick();
        QVERIFY(stopEnabled);
        QVERIFY(!findEnabled);   // one search at a time
        QCOMPARE(f.Rows(), rows);
        QCOMPARE(f.box.isVisible(), visible);
        QCOMPARE(f.box.StatusText(), QStringLiteral("Done searching."));
        QVERIFY(f.box.FindButton()->isEnabled());

        // The next search runs in full.
        f.pump.action = nullptr;
        f.box.show();
        f.box.NameEdit()->setText(QStringLiteral("o"));
        f.box.FindButtonClick();
        QCOMPARE(f.Rows(), (QStringList{"Object|Core||", "Actor|Engine||", "Info|Engine||", EmptyRow}));
    }

    void GridCommandsLeadBackToTheTrees()
    {
        Finder f;
        f.box.show();
        f.box.NameEdit()->setText(QStringLiteral("Info"));
        f.box.FindButtonClick();
        QTableWidget *grid = f.box.ResultsGrid();
        const QPoint infoClass = grid->visualItemRect(grid->item(0, 0)).center();
        const QPoint infoPackage = grid->visualItemRect(grid->item(0, 1)).center();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, infoClass);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, infoPackage);
        emit grid->horizontalHeader()->sectionDoubleClicked(0);   // the "Class:" cell
        QCOMPARE(f.browsed, (QList<QPair<int, TreeNode *>>{
            {0, f.Class(QStringLiteral("Classes/Object/Actor/Info"))},
            {1, NodeAtPath(f.model.PackagesBrowser(), QStringLiteral("Packages/Engine"))},
            {0, nullptr}}));

        QList<QMenu *> popups;
        f.box.SetPopupRunner([&](QMenu *menu, const QPoint &) { popups << menu; });
        QTest::mousePress(grid->viewport(), Qt::RightButton, {}, infoPackage);
        QCOMPARE(popups.size(), 1);
        QCOMPARE(f.box.GridPopupMenu()->actions().at(1)->text(), QStringLiteral("Edit Info"));
        f.box.GridPopupMenu()->actions().at(1)->trigger();
        QCOMPARE(f.edited, QList<TreeNode *>{f.Class(QStringLiteral("Classes/Object/Actor/Info"))});

        // The empty last row names no class: Edit does nothing there.
        const QPoint empty = grid->visualRect(grid->model()->index(1, 0)).center();
        QTest::mousePress(grid->viewport(), Qt::RightButton, {}, empty);
        QCOMPARE(f.box.GridPopupMenu()->actions().at(1)->text(), QStringLiteral("Edit "));
        f.box.GridPopupMenu()->actions().at(1)->trigger();
        QCOMPARE(f.edited.size(), 1);
    }

    // The columns start at useful widths (Class, Package and Line narrow,
    // Context the rest) and keep their shares when the finder is resized;
    // the finder's place and the widths the user gave come back in a finder
    // of a later run.
    void ColumnsAndThePlace()
    {
        QRect placed;
        std::array<int, TFindBox::ColumnCount> widths{};
        {
            Finder f;
            QVERIFY(!f.box.CurrentPlacement());
            f.box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f.box));
            QTableWidget *grid = f.box.ResultsGrid();
            QCOMPARE(grid->columnWidth(0), 120);
            QCOMPARE(grid->columnWidth(1), 90);
            QCOMPARE(grid->columnWidth(2), 44);
            QCOMPARE(grid->columnWidth(3), grid->viewport()->width() - 254);
            // Resized, every column keeps its share of the width.
            grid->setColumnWidth(0, 150);
            QList<int> before;
            for (int column = 0; column < TFindBox::ColumnCount; ++column)
                before << grid->columnWidth(column);
            const int width = grid->width();
            f.box.resize(f.box.width() + width, f.box.height());
            QTRY_COMPARE(grid->width(), 2 * width);
            for (int column = 0; column < TFindBox::ColumnCount; ++column)
                QVERIFY2(qAbs(grid->columnWidth(column) - 2 * before[column]) <= 1,
                         qPrintable(QStringLiteral("column %1: %2 then %3").arg(column).arg(before[column]).arg(grid->columnWidth(column))));
            f.box.setGeometry(QRect(QPoint(40, 50), QSize(500, 360)));
            grid->setColumnWidth(3, 300);
            QTRY_COMPARE(f.box.geometry(), QRect(QPoint(40, 50), QSize(500, 360)));
            const std::optional<TFindBox::Placement> placement = f.box.CurrentPlacement();
            QVERIFY(placement);
            placed = placement->geometry;
            widths = placement->columns;
            QCOMPARE(widths[3], 300);
        }
        Finder later;
        TFindBox::Placement placement;
        placement.geometry = placed;
        placement.columns = widths;
        later.box.RestorePlacement(placement);
        later.box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&later.box));
        QCOMPARE(later.box.geometry(), placed);
        for (int column = 0; column < TFindBox::ColumnCount; ++column)
            QCOMPARE(later.box.ResultsGrid()->columnWidth(column), widths[column]);

        // A place on no screen (a monitor since removed) is not taken.
        Finder elsewhere;
        placement.geometry.moveTo(-100000, -100000);
        elsewhere.box.RestorePlacement(placement);
        QCOMPARE(elsewhere.box.size(), QSize(403, 330));
    }
};

KELVARIN_TEST_MAIN(TestFindBox)
#include "tst_FindBox.moc"
