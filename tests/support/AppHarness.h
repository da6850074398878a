#pragma once

#include "app/gui/MainWindowParts.h"
#include "support/GameDir.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPickers.h"
#include "support/ScriptedPrompter.h"
#include "support/ScriptedPump.h"
#include "support/TempRegistry.h"
#include "support/TestKeyboard.h"

#include <QAbstractItemModel>
#include <QListView>
#include <QTest>
#include <QToolBar>

#include <functional>

namespace kelvarin::test {

// The test doubles the windows run on: a scripted pump, scripted message
// boxes and pickers, a recording shell and launch error box, a keyboard
// whose Ctrl the test holds, a registry store of its own and a game
// directory of its own. Pop-ups are shown nowhere (unless popups is set)
// and the main window's close ends no event loop (it counts quits).
struct TestSeams
{
    GameDir game;
    TempRegistry registry;
    ScriptedPump pump;
    ScriptedPrompter prompter;
    ScriptedPickers pickers;
    RecordingShell shell;
    RecordingErrors errors;
    TestKeyboard keyboard;
    // Another store than registry.reg (a damaged or blocked one).
    Registry *store = nullptr;
    // Another options dialog than TSetDirForm.
    OptionsEditor *optionsEditor = nullptr;
    std::function<void(QMenu *, const QPoint &)> popups;
    int quits = 0;

    // A game of Core and Engine (Object, Actor, Info), and a Mod package
    // (Gadget below Info) that EditPackages leaves out.
    void WriteSmallGame() const
    {
        game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                       QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\n"));
        for (const char *line : {"Core Object native", "Engine Actor extends Object", "Engine Info extends Actor",
                                 "Mod Gadget extends Info"}) {
            const QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '));
            game.WriteClass(words.at(0), words.at(1) + QStringLiteral(".uc"),
                            QStringLiteral("class ") + words.mid(1).join(QLatin1Char(' ')) + QLatin1Char(';'));
        }
    }

    MainWindowSeams Seams()
    {
        MainWindowSeams seams{store ? *store : registry.reg, pump, prompter, keyboard, pickers, shell};
        seams.errors = &errors;
        seams.optionsEditor = optionsEditor;
        seams.popupRunner = [this](QMenu *menu, const QPoint &at) {
            if (popups)
                popups(menu, at);
        };
        seams.quit = [this] { ++quits; };
        return seams;
    }
};

// The whole application as the composition root builds it at start, every
// window included, on test seams. Nothing is shown until Show().
struct AppHarness : TestSeams
{
    enum class Start
    {
        OnGame,       // the store is empty: a first start, then BaseDir is set to the game directory
        AsStored,     // the window as the store (seeded by prepare) leaves it
    };
    using Prepare = std::function<void(TestSeams &)>;

    // prepare runs before any window exists: seeds the store, holds Ctrl,
    // writes the game's files.
    explicit AppHarness(Start start = Start::OnGame, const Prepare &prepare = {})
        : parts(Prepared(*this, prepare))
    {
        if (start == Start::AsStored)
            return;
        options.BaseDir = game.Base();
        prompter.shown.clear();
        model.ResetModel();
    }

    // Shows the main window and makes it the active one.
    TDisplayForm &Show()
    {
        form.show();
        form.activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&form)); }();
        return form;
    }

    QAction *Action(const char *name) const { return form.findChild<QAction *>(QLatin1String(name)); }

    // The tool bar's button with the given hint, null when there is none.
    QAction *Button(const QString &hint) const
    {
        for (QAction *action : form.ToolBar()->actions())
            if (action->toolTip() == hint)
                return action;
        return nullptr;
    }

    // The package list's row of a package, -1 when it is not listed.
    int PackageRow(const QString &package) { return model.Packages().IndexOf(package); }

    // Ticks or unticks a package list item as a click on its box does.
    bool Tick(const QString &package, bool on)
    {
        QAbstractItemModel *list = form.PackageList()->model();
        return list->setData(list->index(PackageRow(package), 0), on ? Qt::Checked : Qt::Unchecked,
                             Qt::CheckStateRole);
    }

    // Opens the trees' pop-up on a node, as a right-button press on it does.
    void OpenPopupOn(TreeNode *node)
    {
        if (!node)
            return;
        node->OwnerTree()->Select(node);
        if (node->OwnerTree() == &model.Browser())
            form.BrowserMouseDown(QPoint());
        else
            form.PackagesBrowserMouseDown(QPoint());
    }

    MainWindowParts parts;
    TOptions &options = parts.options;
    ClassModel &model = parts.model;
    TDisplayForm &form = parts.form;
    TSetDirForm *setDirForm = parts.setDirForm.get();
    TWaitBox &waitBox = parts.waitBox;
    CompileRunner &compileRunner = parts.compileRunner;
    TCompiler &compiler = parts.compiler;
    TCompilerLog &compilerLog = parts.compilerLog;
    PackageExporter &exporter = parts.exporter;
    TExporterForm &exporterForm = parts.exporterForm;
    TNewClassBelow &newClassBelow = parts.newClassBelow;
    ClassFinder &finder = parts.finder;
    TFindBox &findBox = parts.findBox;
    TNewINTWizard &newIntWizard = parts.newIntWizard;
    TFindOrphanForm &findOrphanForm = parts.findOrphanForm;

private:
    static MainWindowSeams Prepared(TestSeams &seams, const Prepare &prepare)
    {
        if (prepare)
            prepare(seams);
        return seams.Seams();
    }
};

} // namespace kelvarin::test
