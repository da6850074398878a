#pragma once

#include "app/gui/AboutBox.h"
#include "app/gui/DisplayForm.h"
#include "app/gui/WaitBox.h"
#include "authoring/IntWizard.h"
#include "authoring/gui/FindOrphanForm.h"
#include "authoring/gui/NewClassBelow.h"
#include "authoring/gui/NewINTWizard.h"
#include "model/ClassModel.h"
#include "model/Options.h"
#include "persist/gui/SetDirForm.h"
#include "platform/gui/QtKeyboard.h"
#include "search/ClassFinder.h"
#include "search/gui/FindBox.h"
#include "support/GameDir.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPickers.h"
#include "support/ScriptedPrompter.h"
#include "support/ScriptedPump.h"
#include "support/TempRegistry.h"
#include "tools/CompileRunner.h"
#include "tools/PackageExporter.h"
#include "tools/gui/Compiler.h"
#include "tools/gui/CompilerLog.h"
#include "tools/gui/ExporterForm.h"

#include <QAbstractItemModel>
#include <QListView>

namespace kelvarin::test {

// The whole application wired as StartUp::Run wires it, every window
// included, but on test seams: a scripted pump, scripted message boxes and
// pickers, a recording shell and launch error box, a registry store of its
// own and a game directory of its own (BaseDir). Nothing is shown, and the
// main window's close does not end any event loop.
struct AppHarness
{
    GameDir game;
    TempRegistry registry;
    TOptions options;
    ScriptedPump pump;
    ScriptedPrompter prompter;
    ScriptedPickers pickers;
    RecordingShell shell;
    RecordingErrors errors;
    QtKeyboard keyboard;
    ClassModel model{options, pump, prompter};
    TDisplayForm form{options, registry.reg, model, prompter, keyboard, pump};
    TSetDirForm setDirForm{pickers, &form};
    TWaitBox waitBox;
    TAboutBox aboutBox{&form};
    CompileRunner compileRunner{options, pump, prompter, errors};
    TCompiler compiler{options, compileRunner, &form};
    TCompilerLog compilerLog{options, prompter, &form};
    PackageExporter exporter{model, errors};
    TExporterForm exporterForm{exporter, &form};
    TNewClassBelow newClassBelow{prompter, &form};
    ClassFinder finder{model};
    TFindBox findBox{finder, prompter, &form};
    IntWizard intWizard{model};
    TNewINTWizard newIntWizard{intWizard, prompter, &form};
    TFindOrphanForm findOrphanForm{options, pump, prompter, &form};

    AppHarness()
    {
        form.SetQuitHandler([] {});
        form.SetPopupRunner([](QMenu *, const QPoint &) {});
        findBox.SetPopupRunner([](QMenu *, const QPoint &) {});
        compileRunner.SetView(&compiler);
        form.SetCompileTools(&compileRunner, &compilerLog, &exporter, &exporterForm);
        form.SetLaunchSeams(&shell, &errors);
        form.SetNewClassDialog(&newClassBelow);
        form.SetFindBox(&findBox);
        form.SetIntWizard(&newIntWizard);
        form.SetOrphanForm(&findOrphanForm);
        form.SetOptionsEditor(&setDirForm);
        form.SetWaitBox(&waitBox);
        form.SetAboutBox(&aboutBox);
        form.SetPickers(&pickers);
        // The store is empty: a first start, on defaults.
        options.BaseDir = game.Base();
        prompter.shown.clear();
        model.ResetModel();
    }

    ~AppHarness() { form.SetLaunchSeams(nullptr, nullptr); }

    QAction *Action(const char *name) const { return form.findChild<QAction *>(QLatin1String(name)); }

    // The package list's row of a package, -1 when it is not listed.
    int PackageRow(const QString &package)
    {
        return model.Packages().IndexOf(package);
    }

    // Ticks or unticks a package list item as a click on its box does.
    void Tick(const QString &package, bool on)
    {
        QAbstractItemModel *list = form.PackageList()->model();
        list->setData(list->index(PackageRow(package), 0), on ? Qt::Checked : Qt::Unchecked,
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
};

} // namespace kelvarin::test
