// Every command the user can give while a long loop lets events run, given
// in the middle of every such loop: it is refused or harmless, nothing
// crashes, and the model is whole afterwards.
#include "session/MainCommands.h"
#include "app/gui/ClassPopup.h"
#include "authoring/OrphanFinder.h"
#include "model/PackageLoader.h"
#include "persist/StateFile.h"
#include "support/AppHarness.h"
#include "support/ModelHarness.h"
#include "support/StandinScratch.h"
#include "StandinPackage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace kelvarin;

namespace {

using App = test::AppHarness;

void WriteGame(const test::GameDir &g)
{
    g.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\n"
                               "EditPackages=GameKit\r\nEditPackages=StormMod\r\nEditPackages=LostLink\r\n"));
    // Package, class (numbered 1 to count when count is not 0), parent.
    const struct { const char *package, *name, *parent; int count; } classes[] = {
        {"Core", "Object", nullptr, 0}, {"Core", "Field", "Object", 5}, {"Engine", "Actor", "Object", 0},
        {"Engine", "Info", "Actor", 0}, {"Engine", "Brush", "Actor", 5}, {"GameKit", "Kit", "Info", 6},
        {"StormMod", "Storm", "Info", 5}, {"StormMod", "Zephyr", "Info", 0},
        {"LostLink", "Link", "LinkRelay", 3}, {"Mod", "Gadget", "Actor", 6}};
    for (const auto &c : classes)
        for (int i = c.count ? 1 : 0; i <= c.count; ++i) {
            const QString name = QLatin1String(c.name) + (i ? QString::number(i) : QString());
            g.WriteClass(QLatin1String(c.package), name + QStringLiteral(".uc"), QStringLiteral("class ") + name
                         + (c.parent ? QStringLiteral(" extends ") + QLatin1String(c.parent) : QString()) + u';');
        }
    // Game packages the UCC stand-in cannot read (any parent passes), a
    // package that is only compiled, and mods that left only .int and .dll.
    g.WriteBytes(QStringLiteral("System/Core.u"), QByteArray("\xC1\x83\x2A\x9E game", 9));
    g.WriteBytes(QStringLiteral("System/Engine.u"), QByteArray("\xC1\x83\x2A\x9E game", 9));
    g.WriteBytes(QStringLiteral("System/LinkBase.u"), Standin::SerializePackage({QStringLiteral("LinkBase"),
        {{QStringLiteral("LinkRelay"), QStringLiteral("Actor"), "class LinkRelay extends Actor;\r\n"}}}));
    g.WriteBytes(QStringLiteral("System/StormMod.u"), "compiled before");
    for (const char *name : {"StormMod", "Old1", "Old2", "Old3", "Old4", "Old5"})
        g.WriteBytes(QStringLiteral("System/%1.int").arg(QLatin1String(name)), "[Public]\r\n");
    for (const char *name : {"Gone1", "Gone2", "Gone3"})
        g.WriteBytes(QStringLiteral("System/%1.dll").arg(QLatin1String(name)), "MZ");
    const QString ucc = g.Native(QStringLiteral("System/UCC.exe"));
    QFile::copy(QStringLiteral(KELVARIN_UCC_STANDIN), ucc);
    QFile::setPermissions(ucc, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Both trees, the package list with its marks, the bindings and the
// waiting classes.
QStringList Snapshot(ClassModel &model)
{
    QStringList lines = test::DumpTree(model.Browser()) + test::DumpTree(model.PackagesBrowser());
    for (int row = 0; row < model.Packages().Count(); ++row)
        lines << QStringLiteral("%1 %2").arg(model.Packages().Text(row)).arg(int(model.Packages().MarkAt(row)));
    return lines + model.Bindings().Entries() + model.Files().Entries();
}

// Every node where its parent and its tree say it is; the nodes met.
bool Walk(const Tree &tree, QSet<const TreeNode *> &nodes)
{
    int count = 0;
    for (TreeNode *n = tree.First(); n; n = Tree::Next(n), ++count) {
        const TreeNode *p = n->Parent();
        if (n->OwnerTree() != &tree || (p ? p->Child(n->Row()) : tree.TopLevel(n->Row())) != n
            || n->Depth() != (p ? p->Depth() + 1 : 0))
            return false;
        nodes.insert(n);
    }
    return count == tree.Count() && (!tree.Selected() || nodes.contains(tree.Selected()));
}

enum Loop { ReadDefault, Refresh, LoadState, Tick, Untick, RemoveClass, RemovePackage, Find, Compile, Export, Orphans };
const char *const LoopNames[] = {"read default", "refresh", "load state", "tick", "untick", "delete class",
                                 "delete package", "find", "compile", "export", "orphan search"};

bool Trigger(App &app, const char *action)
{
    app.Action(action)->trigger();
    return true;
}

// A pop-up item acting on the pop-up's node: given whether or not the node
// is still there, which it answers.
bool Tagged(App &app, const char *action)
{
    const bool tagged = app.form.Commands().PopupTag();
    return Trigger(app, action) && tagged;
}

// A click on a package's box that asks for a change.
bool Click(App &app, const char *package, bool on)
{
    const int row = app.PackageRow(QLatin1String(package));
    if (row < 0 || (app.model.Packages().MarkAt(row) == PackageList::Mark::Checked) == on)
        return false;
    app.Tick(QLatin1String(package), on);
    return true;
}

// A command as the user gives it; false when there was nothing to click on.
struct Command
{
    const char *name;
    bool (*give)(App &);
    bool mustRefuse;         // while the model is busy: refused visibly
    const char *control;     // its action or button, when it has one
};

#define MENU(text, name) {text, [](App &a) { return Trigger(a, name); }, true, name}
const Command Commands[] = {
    MENU("read default", "ReaddefaultpackagesMenuItem"),
    MENU("reset", "ResetMenuItem"),
    MENU("load state", "LoadStateMenuItem"),
    MENU("save state", "SavestateMenuItem"),
    MENU("save default", "SaveasdefaultstateMenuItem"),
    MENU("refresh", "RefreshMenuItem"),
    MENU("switch trees", "SwitchClassPackagetreeMenuitem"),
    {"options", [](App &a) {   // OK with the game directory spelt anew
         QTimer::singleShot(0, a.setDirForm, [&a] {
             a.setDirForm->findChild<QLineEdit *>(QStringLiteral("DirEdit"))->setText(a.game.Base() + QStringLiteral("/."));
             a.setDirForm->accept();
         });
         return Trigger(a, "SetbasedirMenuItem");
     }, true, "SetbasedirMenuItem"},
    MENU("compile", "CompileMenuItem"),
    {"exporter", [](App &a) { return Trigger(a, "PackageexporterMenuItem"); }, false, nullptr},
    {"orphan search", [](App &a) {
         Trigger(a, "FindorphanfilesMenuItem");
         const bool next = a.findOrphanForm.NextButton()->isEnabled();
         a.findOrphanForm.NextButtonClick();
         return next;
     }, true, nullptr},
    {"pop-up delete", [](App &a) { return Tagged(a, "DeleteClassPopupItem"); }, true, "DeleteClassPopupItem"},
    MENU("pop-up edit", "EditthisclassMenuItem"),
    {"pop-up find", [](App &a) { return Trigger(a, "FindClassPopupItem"); }, false, nullptr},
    {"pop-up create class", [](App &a) { return Tagged(a, "CreateClassPopupItem"); }, true, "CreateClassPopupItem"},
    {"pop-up INT file", [](App &a) { return Trigger(a, "AddINTfilePopupItem"); }, false, nullptr},
    MENU("pop-up compile", "CompilethispackageMenuItem"),
    {"tick", [](App &a) { return Click(a, "Mod", true); }, true, nullptr},
    {"untick", [](App &a) { return Click(a, "GameKit", false); }, true, nullptr},
    {"finder's Find", [](App &a) {
         a.findBox.NameEdit()->setText(QStringLiteral("Kit"));
         a.findBox.FindButton()->click();
         return true;
     }, true, "FindButton"},
    {"double click", [](App &a) {
         TreeNode *node = a.model.Browser().First() ? Tree::Next(a.model.Browser().First()) : nullptr;
         a.form.BrowserDblClick(node);
         return node != nullptr;
     }, true, nullptr},
    {"game directory vanishes", [](App &a) { return QDir(a.game.Base()).removeRecursively(); }, false, nullptr},
    {"close the main window", [](App &a) { return a.form.close(); }, false, nullptr},
};
#undef MENU
const int CommandCount = int(std::size(Commands));

bool Refused(App &app, const Command &command)
{
    const QString why = app.model.BusyRefusal();
    return app.form.StatusText() == why || app.findBox.StatusText() == why
        || (command.control && !app.form.findChild<QObject *>(QLatin1String(command.control))->property("enabled").toBool());
}

void RunLoop(App &app, Loop loop)
{
    switch (loop) {
    case ReadDefault: Trigger(app, "ReaddefaultpackagesMenuItem"); break;
    case Refresh: Trigger(app, "RefreshMenuItem"); break;
    case LoadState: Trigger(app, "LoadStateMenuItem"); break;
    case Tick: app.Tick(QStringLiteral("Mod"), true); break;
    case Untick: app.Tick(QStringLiteral("StormMod"), false); break;
    case RemoveClass:
    case RemovePackage: Trigger(app, "DeleteClassPopupItem"); break;
    case Find:
        app.findBox.SearchInItem(0)->click();   // all classes
        app.findBox.ContainEdit()->setText(QStringLiteral("counter"));
        app.findBox.FindButton()->click();
        break;
    case Compile: Trigger(app, "CompileMenuItem"); break;
    case Export: {
        // The scan of System lets events run, then UCC exports off the
        // user-interface thread while events go on arriving.
        app.exporterForm.show();
        app.exporter.Add({app.exporter.FoundList().IndexOf(QStringLiteral("LinkBase"))});
        if (!app.pump.Terminating() && app.exporter.Go()) {
            QElapsedTimer guard;
            guard.start();
            while (app.exporter.Busy() && app.errors.shown.isEmpty() && guard.elapsed() < 60000) {
                app.pump.Pump();
                QCoreApplication::processEvents();
                QThread::msleep(2);
            }
        }
        app.exporterForm.close();
        break;
    }
    case Orphans:
        app.findOrphanForm.Show();
        app.findOrphanForm.NextButtonClick();
        break;
    }
}

} // namespace

class TestReentrancy : public QObject
{
    Q_OBJECT

    test::StandinScratch m_scratch;   // no wine on PATH: UCC.exe runs as it is

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(QDir().mkpath(m_scratch.Path(QStringLiteral("cwd"))));
        QVERIFY(QDir::setCurrent(m_scratch.Path(QStringLiteral("cwd"))));   // the default state lands here
        qputenv("KELVARIN_UCC_DELAY_MS", "100");
    }
    void cleanupTestCase() { qunsetenv("KELVARIN_UCC_DELAY_MS"); }

    void commandMidLoop_data()
    {
        QTest::addColumn<int>("loop");
        QTest::addColumn<int>("command");
        for (int loop = ReadDefault; loop <= Orphans; ++loop)
            for (int command = 0; command < CommandCount; ++command)
                QTest::addRow("%s / %s", LoopNames[loop], Commands[command].name) << loop << command;
    }

    void commandMidLoop()
    {
        QFETCH(int, loop);
        QFETCH(int, command);
        const Command &cmd = Commands[command];
        App app;
        WriteGame(app.game);
        app.options.LastCompiledPackage = QStringLiteral("StormMod");
        app.pickers.fileAnswer = m_scratch.Path(QStringLiteral("state.Kelvar"));
        app.newClassBelow.SetModalRunner([&app](QDialog &) {
            app.newClassBelow.NameEdit()->setText(QStringLiteral("Fresh"));
            app.newClassBelow.CreateButtonClick();
            return app.newClassBelow.result();
        });
        Trigger(app, "ReaddefaultpackagesMenuItem");
        QCOMPARE(app.model.ClassCount(), 25);
        QVERIFY(StateFile(app.model).SaveState(*app.pickers.fileAnswer));
        // The pop-up is open on a class, or on a package for the package's items.
        const bool onPackage = loop == RemovePackage
            || (loop != RemoveClass && QByteArray(cmd.name).contains("INT")) || QByteArray(cmd.name) == "pop-up compile";
        app.OpenPopupOn(onPackage ? test::NodeAtPath(app.model.PackagesBrowser(), QStringLiteral("Packages/StormMod"))
                                  : app.model.FindNode(app.model.Browser(), QStringLiteral("Zephyr")));
        app.findBox.ShowFor(app.form.Commands().RightClickedNode());
        app.prompter.shown.clear();

        NullEventPump pump;
        QStringList problems;
        int fired = 0;
        app.pump.calls = 0;
        app.pump.actionAt = 2;
        app.pump.againAt = {5};
        app.pump.action = [&] {
            ++fired;
            const bool busy = app.model.Busy();
            const QStringList before = Snapshot(app.model);
            app.form.SetStatusText(QString());
            app.findBox.findChild<QStatusBar *>()->clearMessage();
            const bool reached = cmd.give(app);
            if (busy && Snapshot(app.model) != before)
                problems << QStringLiteral("changed the model while %1").arg(app.model.BusyWith());
            if (busy && reached && cmd.mustRefuse && !Refused(app, cmd))
                problems << QStringLiteral("not refused while %1").arg(app.model.BusyWith());
        };
        RunLoop(app, Loop(loop));
        app.pump.action = nullptr;

        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        const bool endsTheLoop = command >= CommandCount - 2;
        QVERIFY2(fired == 2 || (endsTheLoop && fired == 1), qPrintable(QString::number(fired)));
        QVERIFY(!app.model.Busy());
        QSet<const TreeNode *> nodes;
        QVERIFY(Walk(app.model.Browser(), nodes));
        QVERIFY(Walk(app.model.PackagesBrowser(), nodes));
        for (const TreeNode *held : {app.finder.LookIn(), app.form.Commands().PopupTag(),
                                     app.form.Commands().RightClickedNode()})
            QVERIFY(!held || nodes.contains(held));
        // Whatever the orphan finder lists is an orphan indeed.
        OrphanFinder orphans(pump);
        if (QFileInfo::exists(app.game.Base()) && orphans.Search(app.game.Base()) == OrphanFinder::Outcome::Done)
            for (const QString &name : app.findOrphanForm.Finder().OrphanNames())
                QVERIFY2(orphans.OrphanNames().contains(name), qPrintable(name));
        if (app.pump.Terminating())
            return;   // closed: the program is ending

        // Afterwards a fresh read gives what a fresh program reads.
        app.prompter.shown.clear();
        Trigger(app, "ReaddefaultpackagesMenuItem");
        TOptions options;
        options.BaseDir = app.game.Base();
        test::ScriptedPrompter prompter;
        ClassModel fresh(options, pump, prompter);
        PackageLoader(fresh).ReadDefaultPackages();
        QCOMPARE(Snapshot(app.model), Snapshot(fresh));
        QCOMPARE(app.prompter.Texts(), prompter.Texts());
    }
};

KELVARIN_TEST_MAIN(TestReentrancy)
#include "tst_reentrancy.moc"
