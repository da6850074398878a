#include "app/gui/ClassPopup.h"
#include "app/gui/KelvarTreeView.h"
#include "persist/WindowLayout.h"
#include "persist/gui/OptionsEditor.h"
#include "platform/Errors.h"
#include "support/AppHarness.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <memory>

using namespace kelvarin;
using App = test::AppHarness;

namespace {

class ScriptedEditor : public OptionsEditor
{
public:
    std::optional<SetDirValues> Edit(const TOptions &options) override
    {
        ++calls;
        shownBaseDir = options.BaseDir;
        return answer;
    }
    std::optional<SetDirValues> answer;
    int calls = 0;
    QString shownBaseDir;
};

// Stores options naming baseDir (empty: the game directory) and a layout
// with the tool bar hidden and a 600x450 window.
void Seed(test::TestSeams &seams, QString baseDir = QString())
{
    TOptions seed;
    seed.BaseDir = baseDir.isEmpty() ? seams.game.Base() : baseDir;
    seed.CommandLine = QStringLiteral("dm-deck16");
    QVERIFY(SaveOptions(seed, seams.registry.reg, QStringLiteral("/opt/kelvarin")));
    WindowLayout layout;
    layout.windowWidth = 600;
    layout.windowHeight = 450;
    layout.toolbarVis = false;
    layout.SaveWindowLayout(seams.registry.reg);
}

// A window on a stored game directory, shown and active.
struct Shown : App
{
    Shown() : App(Start::AsStored, [](test::TestSeams &seams) { Seed(seams); }) { Show(); }
};

// Menu items by caption, tool bar buttons by hint: "text|shortcut|on".
QString Describe(const QList<QAction *> &actions, bool hints)
{
    QStringList items;
    for (QAction *action : actions)
        items << (action->isSeparator() ? QStringLiteral("-")
                                        : (hints ? action->toolTip() : action->text()) + QLatin1Char('|')
                                              + action->shortcut().toString()
                                              + QLatin1String(action->isEnabled() ? "|on" : "|off"));
    return items.join(QLatin1Char(','));
}

} // namespace

class TestDisplayForm : public QObject
{
    Q_OBJECT

private slots:
    void Bars_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("menu bar") << "" << QStringList{"&File||on", "&View||on", "&Misc||on", "&Server||on"};
        QTest::newRow("File") << "&File"
            << QStringList{"R&ead default packages||on", "&Reset||on", "-",
                           "&Load state...||on", "&Save state...||on",
                           "&Save as default state||on", "-", "E&xit||on"};
        QTest::newRow("View") << "&View"
            << QStringList{"&Edit UnrealTournament.ini|F4|on", "&Refresh browser|F5|on",
                           "&Switch Class/Package tree|F6|on", "Compiler log...|F10|on",
                           "&UT Log...|F11|on", "-", "Toolbar||on", "Classes tree||on",
                           "Packages tree||on", "Packages list||on", "-", "&About...|F12|on"};
        QTest::newRow("Misc") << "&Misc"
            << QStringList{"&Set options...||on", "&Package exporter...|F7|on",
                           "&Compile...|F9|on", "&Explore UT directory||on",
                           "&Find orphan files..||on"};
        QTest::newRow("Server") << "&Server"
            << QStringList{"&Run dedicated server||on", "Join yourself||on"};
        QTest::newRow("tool bar") << "tool bar"
            << QStringList{"Read default packages||on", "Reset||on", "-",
                           "Load state||on", "Save state||on", "Save current state as the default||on", "-",
                           "Switch between the two trees|F6|on", "Show compilation log|F10|on", "-",
                           "Edit UnrealTournament.ini|F4|on", "Edit options||on", "Package exporter|F7|on",
                           "Compile default package|F9|on", "-",
                           "Explore UT directory||on", "Test run!||on", "-", "About|F12|on"};
    }

    void Bars()
    {
        QFETCH(QString, bar);
        QFETCH(QStringList, items);
        // Nothing loaded: the window as designed.
        App env(App::Start::AsStored, [](test::TestSeams &seams) { seams.keyboard.ctrl = true; });
        TDisplayForm &form = env.form;
        QList<QAction *> actions = form.menuBar()->actions();
        const bool toolBar = bar == QLatin1String("tool bar");
        if (toolBar) {
            actions = form.ToolBar()->actions();
            // One action serves a command's menu item and its button.
            QList<QAction *> inMenus;
            for (QAction *top : form.menuBar()->actions())
                inMenus << top->menu()->actions();
            for (QAction *action : actions)
                if (!action->isSeparator() && action->toolTip() != QLatin1String("Test run!"))
                    QVERIFY2(inMenus.contains(action), qPrintable(action->toolTip()));
        } else if (!bar.isEmpty()) {
            const auto top = std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == bar; });
            QVERIFY(top != actions.end());
            actions = (*top)->menu()->actions();
        }
        QCOMPARE(Describe(actions, toolBar), items.join(QLatin1Char(',')));
    }

    // Which store is read, which message is shown and whether the options
    // dialog opens first is the start sequence's (tests/session); here, what
    // the window takes from the store.
    void StartUpReadsTheStore_data()
    {
        QTest::addColumn<QString>("store");   // "options", "wrong type"
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<QString>("baseDir");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("toolBar");
        QTest::newRow("options and layout") << "options" << false << "C:\\UT" << "dm-deck16" << QSize(600, 450) << false;
        QTest::newRow("Ctrl held: nothing read") << "options" << true << "" << "" << QSize(532, 395) << true;
        // Reading stops silently at the damaged value; the layout comes after it.
        QTest::newRow("value of the wrong type") << "wrong type" << false << "C:\\UT" << "ctf-face"
                                                 << QSize(532, 395) << true;
    }

    void StartUpReadsTheStore()
    {
        QFETCH(QString, store);
        QFETCH(bool, ctrl);
        QFETCH(QString, baseDir);
        QFETCH(QString, commandLine);
        QFETCH(QSize, size);
        QFETCH(bool, toolBar);
        App env(App::Start::AsStored, [&](test::TestSeams &seams) {
            Seed(seams, QStringLiteral("C:\\UT"));
            if (store == QLatin1String("wrong type"))
                QVERIFY(seams.registry.reg.SetDword(RegRoot::LocalMachine, test::kKelvarinKey,
                                                    QStringLiteral("CommandLine"), 7));
            seams.keyboard.ctrl = ctrl;
        });
        TDisplayForm &form = env.form;
        QVERIFY(env.prompter.shown.isEmpty());
        QCOMPARE(env.options.BaseDir, baseDir);
        QCOMPARE(env.options.CommandLine, commandLine);
        QCOMPARE(form.windowTitle(), QStringLiteral("Kelvarin 2.7.0"));
        QCOMPARE(form.size(), size);
        QCOMPARE(form.ToolBar()->isHidden(), !toolBar);
        QCOMPARE(env.Action("ToolbarMenuItem")->isChecked(), toolBar);
        QCOMPARE(form.StatusText(), QStringLiteral("Hollowgate Unreal Class Browser"));
        QVERIFY(form.PackageBindingList()->isHidden() && form.FilesList()->isHidden());
        QCOMPARE(form.AsksForOptionsAtStart(), ctrl);   // Ctrl held: the options dialog opens first
    }

    // Closing the window stores the layout and the options; Exit stores
    // neither; a store that cannot be written is said, and the program ends.
    void Close_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::addColumn<bool>("blocked");   // a file where the store's folder should be
        QTest::newRow("closing the window stores layout and options") << false << false;
        QTest::newRow("Exit stores neither") << true << false;
        QTest::newRow("store not writable: said") << false << true;
    }

    void Close()
    {
        QFETCH(bool, viaExit);
        QFETCH(bool, blocked);
        test::TempRegistry blocker;
        RegFileRegistry broken(blocker.BlockedPath());
        App env(App::Start::AsStored, [&](test::TestSeams &seams) {
            Seed(seams);
            if (blocked) {
                seams.store = &broken;
                seams.keyboard.ctrl = true;   // nothing read from it
            }
        });
        if (!blocked)
            env.Show();
        TDisplayForm &form = env.form;
        env.options.CommandLine = QStringLiteral("ctf-coret");
        env.Action("ToolbarMenuItem")->trigger();   // shows the tool bar again
        form.resize(640, 480);
        if (viaExit)
            env.Action("ExitMenuItem")->trigger();
        form.close();   // after Exit: the application closing its windows
        QCOMPARE(env.quits, 1);
        QVERIFY(env.pump.Terminating());
        const QStringList said{"Failed to set data for 'WindowTop'", "Unable to store options.\r\nChanges might not be remembered."};
        QCOMPARE(env.prompter.Texts(), blocked ? said : QStringList{});

        const bool stored = !viaExit && !blocked;
        TOptions options;
        QVERIFY(LoadOptions(options, env.registry.reg));
        QCOMPARE(options.BaseDir, env.game.Base());
        QCOMPARE(options.CommandLine, stored ? QStringLiteral("ctf-coret") : QStringLiteral("dm-deck16"));
        WindowLayout layout;
        layout.LoadWindowLayout(env.registry.reg);
        QCOMPARE(layout.toolbarVis, std::optional<bool>(stored));
        QCOMPARE(layout.windowWidth, std::optional<int>(stored ? 640 : 600));
    }

    // Ctrl held at the start skips the default state: the start sequence's (tests/session).
    void FirstShowingLoadsTheDefaultState_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::newRow("loaded once, then sorted") << false;
        QTest::newRow("error shown, start-up goes on") << true;
    }

    void FirstShowingLoadsTheDefaultState()
    {
        QFETCH(bool, fails);
        App env(App::Start::AsStored, [](test::TestSeams &seams) {
            Seed(seams);
            seams.game.WriteClass(QStringLiteral("MyMod"), QStringLiteral("Foo.uc"),
                                  QStringLiteral("class Foo extends Actor;"));
        });
        TDisplayForm &form = env.form;
        int calls = 0;
        form.SetDefaultStateLoader([&] {
            ++calls;
            if (fails)
                throw KelvarinError(QStringLiteral("Cannot open file x.UTree"));
            Tree &browser = env.model.Browser();
            for (const char *name : {"Zeta", "Alpha", "Mid"})
                browser.Add(browser.First(), QLatin1String(name));
        });
        TWaitBox &waitBox = env.waitBox;
        waitBox.show();
        form.show();
        form.hide();
        form.show();   // only the first showing counts

        QCOMPARE(calls, 1);
        QCOMPARE(env.prompter.Texts(), fails ? QStringList{"Cannot open file x.UTree"} : QStringList{});
        QVERIFY(!waitBox.isVisible());
        const QString status = form.StatusText();
        QVERIFY2(status.startsWith(QStringLiteral("Startup time: ")), qPrintable(status));
        QVERIFY2(status.endsWith(QStringLiteral("  %1 classes loaded").arg(fails ? 0 : 3)), qPrintable(status));
        QCOMPARE(env.model.Packages().Count(), 1);   // the model was reset on the game directory
        if (!fails)
            QCOMPARE(env.model.Browser().First()->Child(0)->Text(), QStringLiteral("Alpha"));
    }

    void TypedKeywords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("elsewhere");
        QTest::addColumn<int>("crashes");
        QTest::addColumn<bool>("listsShown");
        QTest::newRow("crash") << "crash" << false << 1 << false;
        QTest::newRow("breaking character is not a new start") << "crcrash" << false << 0 << false;
        QTest::newRow("other character before") << "xcrash" << false << 1 << false;
        QTest::newRow("crash twice, the window lives on") << "crashcrash" << false << 2 << false;
        QTest::newRow("case matters") << "CRASH" << false << 0 << false;
        QTest::newRow("interrupted") << "cra sh" << false << 0 << false;
        QTest::newRow("crash in another window") << "crash" << true << 0 << false;
        QTest::newRow("visible") << "visible" << false << 0 << true;
        QTest::newRow("visible twice") << "visiblevisible" << false << 0 << false;
        QTest::newRow("a character breaking one keyword starts the other") << "crvisible" << false << 0 << true;
        QTest::newRow("both") << "crash visible" << false << 1 << true;
    }

    void TypedKeywords()
    {
        QFETCH(QString, typed);
        QFETCH(bool, elsewhere);
        QFETCH(int, crashes);
        QFETCH(bool, listsShown);
        Shown env;
        TDisplayForm &form = env.form;
        QLineEdit other;
        QWidget *target = form.PackagesBrowser();
        if (elsewhere) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            target = &other;
        }
        target->setFocus();
        QTest::keyClicks(target, typed);
        QCOMPARE(env.prompter.Texts(), QStringList(crashes, QStringLiteral("Test crash!")));
        QVERIFY(form.isVisible());
        QCOMPARE(form.PackageBindingList()->isHidden(), !listsShown);
        QCOMPARE(form.FilesList()->isHidden(), !listsShown);
    }

    void SetOptions_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("newBaseDir");   // empty: the dialog is cancelled
        // Which directories reload the model is the options change's (tests/session).
        QTest::newRow("cancelled") << "OptionsButton" << "";
        QTest::newRow("same directory") << "SetbasedirMenuItem" << "<game>/Game";
        QTest::newRow("other directory") << "OptionsButton" << "<game>/Other";
    }

    void SetOptions()
    {
        QFETCH(QString, command);
        QFETCH(QString, newBaseDir);
        ScriptedEditor editor;
        QString oldBaseDir;
        App env(App::Start::AsStored, [&](test::TestSeams &seams) {
            oldBaseDir = seams.game.Base() + QStringLiteral("/Game");
            Seed(seams, oldBaseDir);
            seams.optionsEditor = &editor;
        });
        env.model.ResetModel();
        env.model.Browser().Add(env.model.Browser().First(), QStringLiteral("Foo"));
        if (!newBaseDir.isEmpty()) {
            SetDirValues values = SetDirValues::From(env.options);
            values.BaseDir = newBaseDir.replace(QStringLiteral("<game>"), env.game.Base());
            values.CommandLine = QStringLiteral("dm-morpheus");
            editor.answer = values;
        }
        (command == QLatin1String("OptionsButton") ? env.Button(QStringLiteral("Edit options")) : env.Action("SetbasedirMenuItem"))->trigger();
        QCOMPARE(editor.calls, 1);
        QCOMPARE(editor.shownBaseDir, oldBaseDir);
        const bool taken = !newBaseDir.isEmpty();
        QCOMPARE(env.options.BaseDir, taken ? newBaseDir : oldBaseDir);
        TOptions stored;
        QVERIFY(LoadOptions(stored, env.registry.reg));
        QCOMPARE(stored.BaseDir, env.options.BaseDir);
        QCOMPARE(stored.CommandLine, taken ? QStringLiteral("dm-morpheus") : QStringLiteral("dm-deck16"));
        QCOMPARE(env.model.ClassCount(), newBaseDir.endsWith(QLatin1String("Other")) ? 0 : 1);
        QVERIFY(env.prompter.shown.isEmpty());
    }

    void RightClickOpensThePopupForTheNode()
    {
        Shown env;
        TDisplayForm &form = env.form;
        QList<QPair<QMenu *, QPoint>> popups;
        env.popups = [&](QMenu *menu, const QPoint &at) { popups.append({menu, at}); };
        Tree &packages = env.model.PackagesBrowser();
        TreeNode *package = packages.Add(packages.First(), QStringLiteral("Bar"));
        packages.Add(package, QStringLiteral("Foo"));
        KelvarTreeView *view = form.PackagesBrowser();
        view->expandAll();
        const QModelIndex packageIndex = view->model()->index(0, 0, view->model()->index(0, 0));
        const QModelIndex fooIndex = view->model()->index(0, 0, packageIndex);

        // The root opens nothing; a context-menu event never opens the pop-up.
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, view->visualRect(view->model()->index(0, 0)).center());
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), view->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(view->viewport(), &menuKey);
        QVERIFY(popups.isEmpty());

        const QPoint at = view->visualRect(fooIndex).center();
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(popups.size(), 1);
        QCOMPARE(popups.first().second, view->viewport()->mapToGlobal(at));
        // The pop-up's captions and states are the commands' (tests/session):
        // here, that the pop-up shows them for the node pressed.
        ClassPopup *popup = form.Popup();
        QCOMPARE(popups.first().first, static_cast<QMenu *>(popup));
        QCOMPARE(popup->DeleteClassPopupItem->text(), QStringLiteral("Delete class Foo"));
        QCOMPARE(popup->defaultAction(), popup->EditthisclassMenuItem);
        QVERIFY(view->hasFocus());

        QTest::mousePress(view->viewport(), Qt::RightButton, {}, view->visualRect(packageIndex).center());
        QCOMPARE(popups.size(), 2);
        QCOMPARE(popup->DeleteClassPopupItem->text(), QStringLiteral("Delete package Bar"));
    }

    // A name longer than the pane is never cut with "...": the column takes
    // its width and the pane scrolls sideways.
    void ClassNamesScrollSideways()
    {
        Shown env;
        TDisplayForm &form = env.form;
        const QString name = QStringLiteral("StormPulseProjectileWithAVeryLongDescriptiveClassNameIndeed");
        Tree &browser = env.model.Browser();
        browser.Add(browser.First(), name);
        KelvarTreeView *view = form.Browser();
        view->expandAll();
        QCOMPARE(view->textElideMode(), Qt::ElideNone);
        QTRY_VERIFY(view->columnWidth(0) > view->fontMetrics().horizontalAdvance(name));
        QVERIFY(view->columnWidth(0) > view->viewport()->width());
        QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 0);
    }

    void DeleteFromThePopupRemovesTheTaggedClass()
    {
        Shown env;
        TDisplayForm &form = env.form;
        env.game.WriteClass(QStringLiteral("MyMod"), QStringLiteral("Foo.uc"), QStringLiteral("class Foo;"));
        Tree &browser = env.model.Browser();
        browser.Add(browser.First(), QStringLiteral("Foo"));
        env.model.Bindings().Add(QStringLiteral("MyMod&Foo"));
        KelvarTreeView *view = form.Browser();
        view->expandAll();
        const QModelIndex foo = view->model()->index(0, 0, view->model()->index(0, 0));
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, view->visualRect(foo).center());
        QCOMPARE(form.Popup()->DeleteClassPopupItem->text(), QStringLiteral("Delete class Foo"));
        env.prompter.answers = {MessageAnswer::Yes};
        form.Popup()->DeleteClassPopupItem->trigger();
        QVERIFY(!env.game.Exists(QStringLiteral("MyMod/Classes/Foo.uc")));
        QCOMPARE(env.model.Browser().Count(), 1);
        QCOMPARE(form.Commands().PopupTag(), nullptr);
        form.Popup()->DeleteClassPopupItem->trigger();   // nothing left to delete
        QCOMPARE(env.prompter.shown.size(), 1);
    }

    // Each command that reaches the shell: from its menu item (a button
    // triggers the same action: Bars), or a double click on class Foo in
    // either tree. Which nodes open nothing is the commands' (tests/session).
    void CommandsReachTheShell_data()
    {
        QTest::addColumn<QString>("command");   // an action, or the tree double-clicked
        QTest::addColumn<QString>("request");   // verb|file below BaseDir|parameters|dir below BaseDir
        QTest::newRow("test run") << "TestRunButton"
            << "open|\\System\\UnrealTournament.exe|dm-deck16|\\System";
        QTest::newRow("join") << "JoinyourselfMenuItem"
            << "open|\\System\\UnrealTournament.exe|127.0.0.1|\\System";
        QTest::newRow("log") << "UTLogMenuItem" << "open|\\System\\UnrealTournament.log||";
        QTest::newRow("explore") << "ExploreUTMenuItem" << "Explore|||";
        QTest::newRow("configuration") << "EditUTiniMenuItem" << "open|\\System\\UnrealTournament.ini||\\System";
        QTest::newRow("double click in the class tree") << "Browser" << "open|\\MyMod\\Classes\\Foo.uc||";
        QTest::newRow("double click in the package tree") << "PackagesBrowser" << "open|\\MyMod\\Classes\\Foo.uc||";
    }

    void CommandsReachTheShell()
    {
        QFETCH(QString, command);
        QFETCH(QString, request);
        Shown env;
        Tree &browser = env.model.Browser();
        Tree &packages = env.model.PackagesBrowser();
        browser.Add(browser.First(), QStringLiteral("Foo"));
        packages.Add(packages.Add(packages.First(), QStringLiteral("MyMod")), QStringLiteral("Foo"));
        env.model.Bindings().Add(QStringLiteral("MyMod&Foo"));
        if (QAction *action = env.Action(qPrintable(command))) {
            action->trigger();
        } else {
            KelvarTreeView *view = command == QLatin1String("Browser") ? env.form.Browser() : env.form.PackagesBrowser();
            view->expandAll();
            const QModelIndexList foo = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("Foo"), 1,
                                                             Qt::MatchExactly | Qt::MatchRecursive);
            QCOMPARE(foo.size(), 1);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(foo.first()).center());
        }
        test::RecordingShell::Settle();
        QCOMPARE(env.shell.calls.size(), 1);
        const ShellRequest &r = env.shell.calls.first().request;
        const QString base = env.game.Base();
        const QStringList parts = request.split(QLatin1Char('|'));
        QCOMPARE(r.verb, parts[0]);
        QCOMPARE(r.file, base + parts[1]);
        QCOMPARE(r.parameters, parts[2]);
        QCOMPARE(r.directory, parts[3].isEmpty() && parts[0] != QLatin1String("Explore") ? QString() : base + parts[3]);
    }

    void SwitchFindsTheNodeInTheOtherTree()
    {
        Shown env;
        TDisplayForm &form = env.form;
        Tree &browser = env.model.Browser();
        Tree &packages = env.model.PackagesBrowser();
        TreeNode *foo = browser.Add(browser.First(), QStringLiteral("Foo"));
        TreeNode *packagedFoo = packages.Add(packages.Add(packages.First(), QStringLiteral("MyMod")), QStringLiteral("FOO"));
        // Which node is found is the commands' (tests/session): here, that
        // the other tree selects it and takes the focus.
        form.Browser()->setFocus();
        browser.Select(foo);
        env.Action("SwitchClassPackagetreeMenuitem")->trigger();
        QVERIFY(form.PackagesBrowser()->hasFocus());
        QCOMPARE(packages.Selected(), packagedFoo);
        QVERIFY(!env.model.Busy());
    }
};

KELVARIN_TEST_MAIN(TestDisplayForm)
#include "tst_DisplayForm.moc"
