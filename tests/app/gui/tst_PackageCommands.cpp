// The main window's commands that load packages and browser states, driven
// the way a user drives them: ticks in the package list, menu commands, the
// file pickers, and the first showing of the window.

#include "app/gui/DisplayForm.h"
#include "support/AppHarness.h"
#include "model/ClassModel.h"
#include "model/Options.h"
#include "platform/EventPump.h"
#include "platform/Keyboard.h"
#include "platform/RegFileRegistry.h"
#include "support/GameDir.h"
#include "support/ModelHarness.h"
#include "support/ScriptedPickers.h"
#include "support/ScriptedPrompter.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kelvarin;
using test::DumpTree;

namespace {

struct Window : test::AppHarness
{
    Window()
        : AppHarness(Start::OnGame, [](test::TestSeams &seams) { seams.WriteSmallGame(); })
    {
    }

    // The mark the package list shows for a package.
    Qt::CheckState Mark(const QString &package)
    {
        const QModelIndex item = form.PackageList()->model()->index(PackageRow(package), 0);
        return item.isValid() ? Qt::CheckState(item.data(Qt::CheckStateRole).toInt()) : Qt::PartiallyChecked;
    }
};

const QStringList LoadedTree{QStringLiteral("Classes"), QStringLiteral("-Object"), QStringLiteral("--Actor"),
                             QStringLiteral("---Info")};

} // namespace

class TestPackageCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void tickingLoadsAndUntickingUnloadsOrRefuses()
    {
        Window w;
        QVERIFY(w.Tick(QStringLiteral("Engine"), true));
        // Engine's classes wait for Object until Core is ticked.
        QCOMPARE(w.model.Files().Count(), 2);
        QVERIFY(w.Tick(QStringLiteral("Core"), true));
        QCOMPARE(DumpTree(w.model.Browser()), LoadedTree);
        QCOMPARE(w.Mark(QStringLiteral("Core")), Qt::Checked);

        // Engine derives from Core: unticking Core is refused and the tick comes back.
        QVERIFY(w.Tick(QStringLiteral("Core"), false));
        QCOMPARE(w.prompter.Texts(), QStringList{QStringLiteral("There are packages depending on Core\r\nIt can't be removed.")});
        QCOMPARE(w.prompter.shown.first().icon, MessageIcon::None);
        QCOMPARE(w.Mark(QStringLiteral("Core")), Qt::Checked);
        QCOMPARE(w.model.ClassCount(), 3);

        QVERIFY(w.Tick(QStringLiteral("Engine"), false));
        QCOMPARE(w.Mark(QStringLiteral("Engine")), Qt::Unchecked);
        QCOMPARE(DumpTree(w.model.Browser()), (QStringList{QStringLiteral("Classes"), QStringLiteral("-Object")}));
    }

    void refreshAttachesClassesWhoseParentArrived()
    {
        Window w;
        w.Tick(QStringLiteral("Mod"), true);
        QCOMPARE(w.model.Files().Count(), 1);
        w.form.ReaddefaultpackagesMenuItemClick();   // resets: Mod's waiting class is gone too
        w.Tick(QStringLiteral("Mod"), true);
        QCOMPARE(w.model.ClassCount(), 4);
        w.game.WriteClass(QStringLiteral("Extra"), QStringLiteral("Late.uc"), QStringLiteral("class Late extends Gadget;"));
        w.form.RefreshMenuItemClick();
        QCOMPARE(w.form.PackageList()->model()->rowCount(), 4);
        QCOMPARE(w.form.StatusText(), QStringLiteral("Done"));
    }

    void savingAndLoadingStatesThroughThePickers()
    {
        Window w;
        w.form.ReaddefaultpackagesMenuItemClick();
        const QString file = w.game.Native(QStringLiteral("Mine.Kelvar"));
        w.pickers.fileAnswer = file;
        w.form.SavestateMenuItemClick();
        QCOMPARE(w.pickers.request.title, QStringLiteral("Select a file to save the current state to"));
        QCOMPARE(w.pickers.request.startFolder, w.options.BaseDir);
        QCOMPARE(w.pickers.savingAsked, QList<bool>{true});
        QVERIFY(w.game.Exists(QStringLiteral("Mine.UTree")));

        w.form.ResetMenuItemClick();
        QCOMPARE(w.model.ClassCount(), 0);
        w.form.LoadStateMenuItemClick();
        QCOMPARE(w.pickers.request.title, QStringLiteral("Select a file to load"));
        QCOMPARE(DumpTree(w.model.Browser()), LoadedTree);
        QCOMPARE(w.Mark(QStringLiteral("Engine")), Qt::Checked);

        // Cancelling the picker changes nothing.
        w.pickers.fileAnswer.reset();
        w.form.ResetMenuItemClick();
        w.form.LoadStateMenuItemClick();
        QCOMPARE(w.model.ClassCount(), 0);
    }

    // Loading it at the first showing: tst_DisplayForm; the state itself: tst_statefile.
    void saveAsDefaultStateWritesBelowTheWorkingDirectory()
    {
        QTemporaryDir cwd;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd.path()));
        {
            Window w;
            w.form.ReaddefaultpackagesMenuItemClick();
            w.form.SaveasdefaultstateMenuItemClick();
        }
        QDir::setCurrent(previous);
        for (const char *file : {"Default.Kelvar", "Default.UTree", "Default.UPack", "Default.UBind"})
            QVERIFY2(QFile::exists(cwd.filePath(QStringLiteral("Default/") + QLatin1String(file))), file);
    }
};

KELVARIN_TEST_MAIN(TestPackageCommands)
#include "tst_PackageCommands.moc"
