#include "app/DisplayForm.h"
#include "app/KelvarTreeView.h"
#include "app/WaitBox.h"
#include "model/ClassModel.h"
#include "persist/Options.h"
#include "persist/WindowLayout.h"
#include "persist/gui/OptionsEditor.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/Keyboard.h"
#include "platform/RegFileRegistry.h"
#include "support/GameDir.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

using namespace kelvarin;

namespace {

const QString OptionsKey = QStringLiteral("\\Software\\Vexa\\Kelvarin");

class FakeKeyboard : public Keyboard
{
public:
    bool CtrlHeld() const override { return ctrl; }
    bool ctrl = false;
};

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

// Everything a main window needs, with doubles where the real thing would
// need a user or a running event loop.
struct Env
{
    explicit Env(const QString &storeName = QStringLiteral("registry.reg"))
        : storePath(store.filePath(storeName)), registry(storePath)
    {
    }

    void SeedOptions(const QString &baseDir)
    {
        TOptions seed;
        seed.BaseDir = baseDir;
        seed.CommandLine = QStringLiteral("dm-deck16");
        seed.LastCompiledPackage = QStringLiteral("MyMod");
        QVERIFY(seed.SaveOptions(registry, QStringLiteral("/opt/kelvarin")));
    }

    TDisplayForm &Make()
    {
        form = std::make_unique<TDisplayForm>(options, registry, model, prompter, keyboard, pump);
        form->SetQuitHandler([this] { ++quits; });
        form->SetOptionsEditor(&editor);
        return *form;
    }

    QByteArray StoreBytes() const
    {
        QFile file(storePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QAction *Action(const char *name) const
    {
        return form->findChild<QAction *>(QLatin1String(name));
    }

    QTemporaryDir store;
    test::GameDir game;
    QString storePath;
    RegFileRegistry registry;
    TOptions options;
    NullEventPump pump;
    test::ScriptedPrompter prompter;
    FakeKeyboard keyboard;
    ScriptedEditor editor;
    ClassModel model{options, pump, prompter};
    int quits = 0;
    std::unique_ptr<TDisplayForm> form;
};

bool ShowActive(QWidget &w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

QString Describe(QAction *action, bool withShortcut)
{
    if (action->isSeparator())
        return QStringLiteral("-");
    QString text = action->text();
    if (withShortcut)
        text += QLatin1Char('|') + action->shortcut().toString();
    return text + (action->isEnabled() ? QStringLiteral("|on") : QStringLiteral("|off"));
}

} // namespace

class TestDisplayForm : public QObject
{
    Q_OBJECT

private slots:
    void DesignedWindow()
    {
        Env env;
        env.keyboard.ctrl = true;   // nothing loaded: the window as designed
        TDisplayForm &form = env.Make();
        QCOMPARE(form.windowTitle(), QStringLiteral("Kelvarin 2.7.0"));
        QCOMPARE(form.size(), QSize(532, 395));
        QCOMPARE(form.StatusText(), QStringLiteral("Hollowgate Unreal Class Browser"));
        QCOMPARE(form.FilesList()->toolTip(),
                 QStringLiteral("This is a list of loaded classes with unknown parents.\n\r"
                                "They are all in the form Parent=Class&Package."));
        QVERIFY(form.PackageBindingList()->isHidden());
        QVERIFY(form.FilesList()->isHidden());
        QVERIFY(form.Browser()->minimumWidth() >= 50);

        auto *splitter = qobject_cast<QSplitter *>(form.centralWidget());
        QVERIFY(splitter);
        QCOMPARE(splitter->widget(0), form.Browser());
        QCOMPARE(splitter->widget(1), form.Panel1());
        QCOMPARE(splitter->widget(2), form.PackageList());
        auto *panel = qobject_cast<QVBoxLayout *>(form.Panel1()->layout());
        QVERIFY(panel);
        QCOMPARE(panel->indexOf(form.PackageBindingList()), 0);
        QCOMPARE(panel->indexOf(form.PackagesBrowser()), 1);
        QCOMPARE(panel->indexOf(form.FilesList()), 2);
        QCOMPARE(form.Panes().browserWidth, 193);
        QCOMPARE(form.Panes().listWidth, 97);
    }

    void Menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("File") << "&File"
            << QStringList{"R&ead default packages||on", "&Reset||on", "-",
                           "&Load state...||on", "&Save state...||on",
                           "&Save as default state||on", "-", "E&xit||on"};
        QTest::newRow("View") << "&View"
            << QStringList{"&Edit UnrealTournament.ini|F4|off", "&Refresh browser|F5|on",
                           "&Switch Class/Package tree|F6|on", "Compiler log...|F10|off",
                           "&UT Log...|F11|off", "-", "Toolbar||on", "Classes tree||on",
                           "Packages tree||on", "Packages list||on", "-", "&About...|F12|on"};
        QTest::newRow("Misc") << "&Misc"
            << QStringList{"&Set options...||on", "&Package exporter...|F7|off",
                           "&Compile...|F9|off", "&Explore UT directory||off",
                           "&Find orphan files..||off"};
        QTest::newRow("Server") << "&Server"
            << QStringList{"&Run dedicated server||off", "Join yourself||off"};
    }

    void Menus()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        Env env;
        env.keyboard.ctrl = true;
        TDisplayForm &form = env.Make();
        QMenu *found = nullptr;
        for (QAction *top : form.menuBar()->actions())
            if (top->text() == menu)
                found = top->menu();
        QVERIFY(found);
        QStringList actual;
        for (QAction *action : found->actions())
            actual << Describe(action, true);
        QCOMPARE(actual, items);
    }

    void MenuBarOrder()
    {
        Env env;
        env.keyboard.ctrl = true;
        TDisplayForm &form = env.Make();
        QStringList titles;
        for (QAction *top : form.menuBar()->actions())
            titles << top->text();
        QCOMPARE(titles, (QStringList{"&File", "&View", "&Misc", "&Server"}));
    }

    void ToolBarHints()
    {
        Env env;
        env.keyboard.ctrl = true;
        TDisplayForm &form = env.Make();
        QStringList actual;
        for (QAction *action : form.ToolBar()->actions()) {
            if (!action->isSeparator())
                QCOMPARE(action->toolTip(), action->text());
            actual << Describe(action, false);
        }
        QCOMPARE(actual, (QStringList{
            "Read default packages|on", "Reset|on", "-",
            "Load state|on", "Save state|on", "Save current state as the default|on", "-",
            "Switch between the two trees|on", "Show compilation log|off", "-",
            "Edit UnrealTournament.ini|off", "Edit options|on", "Package exporter|off",
            "Compile default package|off", "-",
            "Explore UT directory|off", "Test run!|off", "-",
            "About|on"}));
    }

    void ConstructionLoadsOptionsAndLayout()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        WindowLayout stored;
        stored.windowWidth = 600;
        stored.windowHeight = 450;
        stored.browserWidth = 150;
        stored.toolbarVis = false;
        stored.packageListVis = false;
        stored.SaveWindowLayout(env.registry);

        TDisplayForm &form = env.Make();
        QVERIFY(env.prompter.shown.isEmpty());
        QCOMPARE(env.options.BaseDir, env.game.Base());
        QCOMPARE(env.options.CommandLine, QStringLiteral("dm-deck16"));
        QCOMPARE(form.size(), QSize(600, 450));
        QVERIFY(form.ToolBar()->isHidden());
        QVERIFY(form.PackageList()->isHidden());
        QVERIFY(!env.Action("ToolbarMenuItem")->isChecked());
        QVERIFY(!env.Action("PackageslistMenuItem")->isChecked());
        QVERIFY(env.Action("ClassestreeMenuItem")->isChecked());
        QCOMPARE(form.Panes().browserWidth, 150);
    }

    void MissingOptionsKeyShowsLoadMessage()
    {
        Env env;
        env.Make();
        QCOMPARE(env.prompter.shown.size(), 1);
        QCOMPARE(env.prompter.shown[0].text,
                 QStringLiteral("Unable to load user settings.\r\nUsing defaults."));
        QCOMPARE(env.prompter.shown[0].title, QStringLiteral("Kelvarin"));
        QCOMPARE(env.prompter.shown[0].icon, MessageIcon::Error);
        QCOMPARE(env.prompter.shown[0].buttons, MessageButtons::Ok);
        QCOMPARE(env.options.BaseDir, QStringLiteral("."));
        QCOMPARE(env.options.CommandLine, QStringLiteral("ctf-face"));
    }

    void ValueOfWrongTypeIsSwallowed()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        QVERIFY(env.registry.SetDword(RegRoot::LocalMachine, OptionsKey, QStringLiteral("CommandLine"), 7));
        TDisplayForm &form = env.Make();
        QVERIFY(env.prompter.shown.isEmpty());
        // Read up to the damaged value, and nothing after it.
        QCOMPARE(env.options.BaseDir, env.game.Base());
        QCOMPARE(env.options.CommandLine, QStringLiteral("ctf-face"));
        QCOMPARE(env.options.LastCompiledPackage, QString());
        QCOMPARE(form.windowTitle(), QStringLiteral("Kelvarin 2.7.0"));
    }

    void CtrlHeldLeavesOptionsEmpty()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        WindowLayout stored;
        stored.toolbarVis = false;
        stored.SaveWindowLayout(env.registry);
        env.keyboard.ctrl = true;
        TDisplayForm &form = env.Make();
        QVERIFY(env.prompter.shown.isEmpty());
        QCOMPARE(env.options.BaseDir, QString());
        QCOMPARE(env.options.CommandLine, QString());
        QVERIFY(!form.ToolBar()->isHidden());
    }

    void CloseStoresLayoutAndOptions()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        QVERIFY(QTest::qWaitForWindowExposed((form.show(), &form)));
        env.options.CommandLine = QStringLiteral("ctf-coret");
        env.Action("ToolbarMenuItem")->trigger();
        form.close();

        QCOMPARE(env.quits, 1);
        QVERIFY(env.pump.Terminating());
        const QByteArray bytes = env.StoreBytes();
        QVERIFY(bytes.contains("\"CommandLine\"=\"ctf-coret\""));
        QVERIFY(bytes.contains("\"ToolbarVis\"=dword:00000000"));
        QVERIFY(bytes.contains("\"WindowWidth\"=dword:"));

        TOptions readBack;
        QVERIFY(readBack.LoadOptions(env.registry));
        QCOMPARE(readBack.BaseDir, env.game.Base());
        QCOMPARE(readBack.LastCompiledPackage, QStringLiteral("MyMod"));
        WindowLayout layout;
        layout.LoadWindowLayout(env.registry);
        QCOMPARE(layout.windowWidth.value_or(-1), form.width());
        QCOMPARE(layout.windowHeight.value_or(-1), form.height());
        QCOMPARE(layout.browserWidth.value_or(-1), form.Panes().browserWidth);
        QCOMPARE(layout.packageWidth.value_or(-1), form.Panes().listWidth);
        QCOMPARE(layout.toolbarVis, std::optional<bool>(false));
        QCOMPARE(layout.browserVis, std::optional<bool>(true));
    }

    void CloseReportsWhatCannotBeStored()
    {
        QTemporaryDir dir;
        // A file where the store's folder should be: nothing can be written.
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Env env(QStringLiteral("unused"));
        RegFileRegistry broken(dir.filePath(QStringLiteral("blocker/registry.reg")));
        env.keyboard.ctrl = true;
        TDisplayForm form(env.options, broken, env.model, env.prompter, env.keyboard, env.pump);
        int quits = 0;
        form.SetQuitHandler([&] { ++quits; });
        form.close();
        QCOMPARE(env.prompter.Texts(),
                 (QStringList{QStringLiteral("Failed to set data for 'WindowTop'"),
                              QStringLiteral("Unable to store options.\r\nChanges might not be remembered.")}));
        QCOMPARE(quits, 1);
    }

    void ExitStoresNothing()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        form.show();
        const QByteArray before = env.StoreBytes();
        env.options.CommandLine = QStringLiteral("changed");
        env.Action("ExitMenuItem")->trigger();
        QCOMPARE(env.quits, 1);
        QVERIFY(env.pump.Terminating());
        // Windows closing after the loop has ended store nothing either.
        form.close();
        QCOMPARE(env.quits, 1);
        QCOMPARE(env.StoreBytes(), before);
    }

    void FirstShowingReportsStartUp()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        env.game.WriteClass(QStringLiteral("MyMod"), QStringLiteral("Foo.uc"),
                            QStringLiteral("class Foo extends Actor;"));
        TDisplayForm &form = env.Make();
        int loads = 0;
        form.SetDefaultStateLoader([&] {
            ++loads;
            Tree &browser = env.model.Browser();
            for (const char *name : {"Zeta", "Alpha", "Mid"})
                browser.Add(browser.First(), QLatin1String(name));
        });
        TWaitBox waitBox;
        waitBox.show();
        form.SetWaitBox(&waitBox);
        form.show();

        QCOMPARE(loads, 1);
        QVERIFY(!waitBox.isVisible());
        QVERIFY2(form.StatusText().startsWith(QStringLiteral("Startup time: ")), qPrintable(form.StatusText()));
        QVERIFY2(form.StatusText().endsWith(QStringLiteral("  3 classes loaded")), qPrintable(form.StatusText()));
        TreeNode *root = env.model.Browser().First();
        QCOMPARE(root->Child(0)->Text(), QStringLiteral("Alpha"));   // sorted after loading
        QCOMPARE(env.model.Packages().Count(), 1);                      // reset listed the packages

        form.hide();
        form.show();
        QCOMPARE(loads, 1);   // only the first showing
    }

    void CtrlAtFirstShowingSkipsDefaultState()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        int loads = 0;
        form.SetDefaultStateLoader([&] { ++loads; });
        env.keyboard.ctrl = true;
        form.show();
        QCOMPARE(loads, 0);
        QVERIFY(form.StatusText().endsWith(QStringLiteral("  0 classes loaded")));
    }

    void DefaultStateErrorIsShownAndStartUpGoesOn()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        form.SetDefaultStateLoader([] { throw KelvarinError(QStringLiteral("Cannot open file x.UTree")); });
        form.show();
        QCOMPARE(env.prompter.Texts(), QStringList{QStringLiteral("Cannot open file x.UTree")});
        QVERIFY(form.StatusText().endsWith(QStringLiteral("  0 classes loaded")));
    }

    void TypedCrashIsShownAndWindowLivesOn()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        QVERIFY(ShowActive(form));
        form.Browser()->setFocus();
        QTest::keyClicks(form.Browser(), QStringLiteral("crash"));
        QCOMPARE(env.prompter.shown.size(), 1);
        QCOMPARE(env.prompter.shown[0].text, QStringLiteral("Test crash!"));
        QCOMPARE(env.prompter.shown[0].title, QStringLiteral("Kelvarin"));
        QCOMPARE(env.prompter.shown[0].icon, MessageIcon::Error);
        QVERIFY(form.isVisible());

        QTest::keyClicks(form.Browser(), QStringLiteral("ccrash crcrash"));
        QCOMPARE(env.prompter.shown.size(), 1);
        QTest::keyClicks(form.Browser(), QStringLiteral("xcrash"));
        QCOMPARE(env.prompter.shown.size(), 2);
    }

    void KeysOfOtherWindowsDoNotCount()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        form.show();
        QLineEdit other;
        QVERIFY(ShowActive(other));
        other.setFocus();
        QTest::keyClicks(&other, QStringLiteral("crash"));
        QVERIFY(env.prompter.shown.isEmpty());
        QCOMPARE(other.text(), QStringLiteral("crash"));
    }

    void TypedVisibleTogglesBothLists()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        QVERIFY(ShowActive(form));
        form.PackagesBrowser()->setFocus();
        QTest::keyClicks(form.PackagesBrowser(), QStringLiteral("visible"));
        QVERIFY(!form.PackageBindingList()->isHidden());
        QVERIFY(!form.FilesList()->isHidden());
        QTest::keyClicks(form.PackagesBrowser(), QStringLiteral("visible"));
        QVERIFY(form.PackageBindingList()->isHidden());
        QVERIFY(form.FilesList()->isHidden());
        QVERIFY(env.prompter.shown.isEmpty());
    }

    void SetOptionsTakesValuesAndResetsOnNewBaseDir()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        test::GameDir other;
        other.WriteClass(QStringLiteral("Newpack"), QStringLiteral("Thing.uc"),
                         QStringLiteral("class Thing extends Object;"));
        TDisplayForm &form = env.Make();
        Q_UNUSED(form);
        env.options.InstanceMessage = 49152;
        SetDirValues values = SetDirValues::From(env.options);
        values.BaseDir = other.Base();
        values.CommandLine = QStringLiteral("dm-morpheus");
        values.UCCPriority = 128;
        values.bTestrunAfterCompile = true;
        env.editor.answer = values;

        env.Action("SetbasedirMenuItem")->trigger();
        QCOMPARE(env.editor.calls, 1);
        QCOMPARE(env.editor.shownBaseDir, env.game.Base());
        QCOMPARE(env.options.BaseDir, other.Base());
        QCOMPARE(env.options.CommandLine, QStringLiteral("dm-morpheus"));
        QCOMPARE(env.options.UCCPriority, 128);
        QVERIFY(env.options.bTestrunAfterCompile);
        QCOMPARE(env.options.LastCompiledPackage, QStringLiteral("MyMod"));
        QCOMPARE(env.options.InstanceMessage, quint32(49152));
        QCOMPARE(env.model.Packages().Count(), 1);
        QCOMPARE(env.model.Packages().Text(0), QStringLiteral("Newpack"));
        TOptions readBack;
        QVERIFY(readBack.LoadOptions(env.registry));
        QCOMPARE(readBack.BaseDir, other.Base());
        QCOMPARE(readBack.UCCPriority, 128);
    }

    void SetOptionsResets_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("caseOnly");
        QTest::addColumn<bool>("resets");
        QTest::newRow("same directory: no reset") << "" << false << false;
        QTest::newRow("letter case changed: reset") << "" << true << true;
        QTest::newRow("other directory: reset") << "/x" << false << true;
    }

    void SetOptionsResets()
    {
        QFETCH(QString, suffix);
        QFETCH(bool, caseOnly);
        QFETCH(bool, resets);
        Env env;
        env.SeedOptions(env.game.Base() + QStringLiteral("/Game"));
        env.Make();
        env.model.ResetModel();
        Tree &browser = env.model.Browser();
        browser.Add(browser.First(), QStringLiteral("Foo"));
        SetDirValues values = SetDirValues::From(env.options);
        values.BaseDir += suffix;
        if (caseOnly)
            values.BaseDir = values.BaseDir.left(values.BaseDir.size() - 4) + QStringLiteral("GAME");
        env.editor.answer = values;
        env.Action("SetbasedirMenuItem")->trigger();
        QCOMPARE(env.options.BaseDir, values.BaseDir);
        QCOMPARE(env.model.ClassCount(), resets ? 0 : 1);
    }

    void CancelledOptionsChangeNothing()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        env.Make();
        const QByteArray before = env.StoreBytes();
        const TOptions copy = env.options;
        env.editor.answer.reset();
        env.Action("OptionsButton")->trigger();
        QCOMPARE(env.editor.calls, 1);
        QCOMPARE(env.options.BaseDir, copy.BaseDir);
        QCOMPARE(env.options.CommandLine, copy.CommandLine);
        QCOMPARE(env.StoreBytes(), before);
        QVERIFY(env.prompter.shown.isEmpty());
    }

    void ModelCommandsAreRefusedWhileBusy()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        env.model.ResetModel();
        Tree &browser = env.model.Browser();
        browser.Add(browser.First(), QStringLiteral("Foo"));
        {
            ClassModel::BusyScope busy(env.model, QStringLiteral("loading packages"));
            env.Action("ResetMenuItem")->trigger();
            QCOMPARE(form.StatusText(), TDisplayForm::BusyRefusal(QStringLiteral("loading packages")));
            QCOMPARE(env.model.ClassCount(), 1);
            env.Action("SetbasedirMenuItem")->trigger();
            QCOMPARE(env.editor.calls, 0);
        }
        env.Action("ResetButton")->trigger();
        QCOMPARE(env.model.ClassCount(), 0);
    }

    void ViewTogglesKeepOnePaneVisible()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        QVERIFY(QTest::qWaitForWindowExposed((form.show(), &form)));
        const int before = form.Panes().browserWidth;
        const int panel = form.Panes().packagesWidth;

        env.Action("PackagestreeMenuItem")->trigger();
        QVERIFY(form.Panel1()->isHidden());
        QVERIFY(!env.Action("PackagestreeMenuItem")->isChecked());
        QCOMPARE(form.Panes().rememberedPackagesWidth, panel);

        env.Action("PackageslistMenuItem")->trigger();
        QVERIFY(form.PackageList()->isHidden());

        // The class tree is the last pane: its toggle does nothing.
        env.Action("ClassestreeMenuItem")->trigger();
        QVERIFY(!form.Browser()->isHidden());
        QVERIFY(env.Action("ClassestreeMenuItem")->isChecked());

        env.Action("PackageslistMenuItem")->trigger();
        env.Action("PackagestreeMenuItem")->trigger();
        QVERIFY(!form.Panel1()->isHidden());
        QVERIFY(env.Action("PackagestreeMenuItem")->isChecked());
        QVERIFY(qAbs(form.Panes().browserWidth - before) <= 2);

        env.Action("ToolbarMenuItem")->trigger();
        QVERIFY(form.ToolBar()->isHidden());
        QVERIFY(!env.Action("ToolbarMenuItem")->isChecked());
        env.Action("ToolbarMenuItem")->trigger();
        QVERIFY(!form.ToolBar()->isHidden());
    }

    void DoubleClickEditsClassesOnly()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        env.model.ResetModel();
        QList<TreeNode *> edited;
        form.SetEditHandler([&](TreeNode *node) { edited << node; });
        Tree &browser = env.model.Browser();
        Tree &packages = env.model.PackagesBrowser();
        TreeNode *foo = browser.Add(browser.First(), QStringLiteral("Foo"));
        TreeNode *package = packages.Add(packages.First(), QStringLiteral("MyMod"));
        TreeNode *packagedFoo = packages.Add(package, QStringLiteral("Foo"));

        form.BrowserDblClick(form.Browser(), nullptr);
        form.BrowserDblClick(form.Browser(), browser.First());
        form.BrowserDblClick(form.PackagesBrowser(), packages.First());
        form.BrowserDblClick(form.PackagesBrowser(), package);
        QVERIFY(edited.isEmpty());
        form.BrowserDblClick(form.Browser(), foo);
        form.BrowserDblClick(form.PackagesBrowser(), packagedFoo);
        QCOMPARE(edited, (QList<TreeNode *>{foo, packagedFoo}));
    }

    void SwitchFindsTheNodeInTheOtherTree()
    {
        Env env;
        env.SeedOptions(env.game.Base());
        TDisplayForm &form = env.Make();
        QVERIFY(ShowActive(form));
        Tree &browser = env.model.Browser();
        Tree &packages = env.model.PackagesBrowser();
        TreeNode *foo = browser.Add(browser.First(), QStringLiteral("Foo"));
        TreeNode *bar = browser.Add(browser.First(), QStringLiteral("Bar"));
        TreeNode *package = packages.Add(packages.First(), QStringLiteral("MyMod"));
        TreeNode *packagedFoo = packages.Add(package, QStringLiteral("FOO"));

        form.Browser()->setFocus();
        browser.Select(bar);
        env.Action("SwitchClassPackagetreeMenuitem")->trigger();
        QVERIFY(form.Browser()->hasFocus());   // no Bar in the package tree

        browser.Select(foo);
        env.Action("SwitchClassPackagetreeMenuitem")->trigger();
        QVERIFY(form.PackagesBrowser()->hasFocus());
        QCOMPARE(packages.Selected(), packagedFoo);
        QVERIFY(!env.model.Busy());
    }
};

QTEST_MAIN(TestDisplayForm)
#include "tst_DisplayForm.moc"
