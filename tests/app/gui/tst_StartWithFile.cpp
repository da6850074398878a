// A file given on the command line, or handed over by a later start to the
// running instance: a browser state is loaded after the start-up's default
// state, a class source selects its class in both trees.

#include "app/gui/DisplayForm.h"
#include "support/AppHarness.h"
#include "app/gui/StartUp.h"
#include "model/ClassModel.h"
#include "model/Tree.h"
#include "model/TreeNode.h"
#include "model/Options.h"
#include "persist/StateFile.h"
#include "platform/EventPump.h"
#include "platform/Keyboard.h"
#include "platform/RegFileRegistry.h"
#include "platform/gui/SingleInstance.h"
#include "support/GameDir.h"
#include "support/ModelHarness.h"
#include "support/ScriptedPrompter.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QListView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <memory>

using namespace kelvarin;
using test::DumpTree;

namespace {

const QStringList FullTree{"Classes", "-Object", "--Actor", "---Info"};
const QStringList CoreTree{"Classes", "-Object"};

// A main window on that game, with two saved states: Full (both packages)
// and Core (Core alone). The default state of the start-up is Full.
struct StartWindow : test::AppHarness
{
    StartWindow()
        : AppHarness(Start::OnGame, [](test::TestSeams &seams) { seams.WriteSmallGame(); })
    {
        form.ReaddefaultpackagesMenuItemClick();
        full = game.Native(QStringLiteral("Full.Kelvar"));
        StateFile(model).SaveState(full);
        form.ResetMenuItemClick();
        form.PackageListClickCheck(model.Packages().IndexOf(QStringLiteral("Core")), PackageList::Mark::Checked);
        coreOnly = game.Native(QStringLiteral("Core.Kelvar"));
        StateFile(model).SaveState(coreOnly);
        form.ResetMenuItemClick();
        form.SetDefaultStateLoader([this] { StateFile(model).LoadState(full); });
    }

    // The selected node of a tree and its parent's text ("Parent/Node").
    static QString Selected(Tree &tree)
    {
        const TreeNode *node = tree.Selected();
        if (!node)
            return QString();
        return (node->Parent() ? node->Parent()->Text() : QString()) + QLatin1Char('/') + node->Text();
    }

    QString full;
    QString coreOnly;
};

} // namespace

class TestStartWithFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void stateIsLoadedAfterTheDefaultState()
    {
        StartWindow w;
        w.form.OpenFile(w.coreOnly);
        // Nothing is opened before the start-up has run.
        QCoreApplication::processEvents();
        QCOMPARE(w.model.ClassCount(), 0);
        w.form.FormShow();
        QCOMPARE(DumpTree(w.model.Browser()), CoreTree);
        QVERIFY(w.prompter.shown.isEmpty());
    }

    // A file opened at the start: a class source selects its class in both
    // trees, a file that is not opened is said. Nothing is lost: the default
    // state is there still, or was replaced by the loader's partial state
    // (never a crash).
    void fileOpenedAtTheStart_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("selected");   // "class tree|package tree" selections; empty: not checked
        QTest::addColumn<QString>("status");     // empty: not checked
        QTest::newRow("class as named") << "Engine/Classes/Actor.uc" << "Object/Actor|Engine/Actor" << "";
        QTest::newRow("class in other case, no such file") << "elsewhere/ACTOR.UC" << "Object/Actor|Engine/Actor" << "";
        QTest::newRow("class not loaded") << "Mod/Classes/Gadget.uc" << ""
                                          << "Class Gadget is not loaded: tick its package to browse it";
        QTest::newRow("directory as state") << "Dir.Kelvar" << "" << "Unable to load the state %1: no such file";
        QTest::newRow("junk state") << "Junk.Kelvar" << "" << "Unable to load the state %1";
    }

    void fileOpenedAtTheStart()
    {
        QFETCH(QString, file);
        QFETCH(QString, selected);
        QFETCH(QString, status);
        StartWindow w;
        w.game.MakeDir(QStringLiteral("Dir.Kelvar"));
        // A state whose companions are missing: the loader's error is shown.
        w.game.WriteBytes(QStringLiteral("Junk.Kelvar"), QByteArray("\x01\xff junk", 7));
        const QString path = w.game.Native(file);
        w.form.OpenFile(path);
        w.form.FormShow();
        if (status.contains(QLatin1String("%1")))
            status = status.arg(QDir::toNativeSeparators(path));
        if (!status.isEmpty())
            QCOMPARE(w.form.StatusText(), status);
        if (!file.endsWith(QLatin1String("Junk.Kelvar")))
            QCOMPARE(DumpTree(w.model.Browser()), FullTree);
        if (!selected.isEmpty())
            QCOMPARE(StartWindow::Selected(w.model.Browser()) + QLatin1Char('|') + StartWindow::Selected(w.model.PackagesBrowser()),
                     selected);
    }

    void runningInstanceOpensTheHandedOverFile()
    {
        StartWindow w;
        const QString name = QStringLiteral("kelvarin-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
        SingleInstance first(name);
        QVERIFY(first.TryAcquire());
        StartUp::ConnectHandOver(first, w.form);
        w.form.show();   // the start-up: the default state
        QCOMPARE(DumpTree(w.model.Browser()), FullTree);
        QSignalSpy received(&first, &SingleInstance::RequestReceived);

        // A start without a file only brings the window forward.
        w.form.hide();
        QVERIFY(SingleInstance::SendRequest(name, 1, 1));
        QVERIFY(received.wait());
        QTRY_VERIFY(w.form.isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(DumpTree(w.model.Browser()), FullTree);

        // A start with a state file hands it over and ends.
        SingleInstance second(name);
        QVERIFY(!second.TryAcquire(w.coreOnly));
        QVERIFY(received.wait());
        QTRY_COMPARE(DumpTree(w.model.Browser()), CoreTree);

        // Another pair of numbers is no request to open anything.
        QVERIFY(SingleInstance::SendRequest(name, 2, 2, w.full));
        QVERIFY(received.wait());
        QCoreApplication::processEvents();
        QCOMPARE(DumpTree(w.model.Browser()), CoreTree);
        first.Release();
    }

    void handedOverFileWaitsForARunningOperation()
    {
        StartWindow w;
        w.form.FormShow();
        {
            ClassModel::BusyScope busy(w.model, QStringLiteral("compiling"));
            w.form.OpenFile(w.coreOnly);
            QCoreApplication::processEvents();
            QCOMPARE(DumpTree(w.model.Browser()), FullTree);
        }
        QTRY_COMPARE(DumpTree(w.model.Browser()), CoreTree);
        QVERIFY(w.prompter.shown.isEmpty());
    }
};

KELVARIN_TEST_MAIN(TestStartWithFile)
#include "tst_StartWithFile.moc"
