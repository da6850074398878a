#pragma once

#include "app/gui/AboutBox.h"
#include "app/gui/DisplayForm.h"
#include "app/gui/WaitBox.h"
#include "authoring/IntWizard.h"
#include "authoring/NewClassCommands.h"
#include "authoring/gui/FindOrphanForm.h"
#include "authoring/gui/NewClassBelow.h"
#include "authoring/gui/NewINTWizard.h"
#include "model/ClassModel.h"
#include "persist/Options.h"
#include "persist/gui/SetDirForm.h"
#include "search/ClassFinder.h"
#include "search/gui/FindBox.h"
#include "session/MainCommands.h"
#include "tools/CompileRunner.h"
#include "tools/Launchers.h"
#include "tools/PackageExporter.h"
#include "tools/UccGate.h"
#include "tools/gui/Compiler.h"
#include "tools/gui/CompilerLog.h"
#include "tools/gui/ExecuteErrorBox.h"
#include "tools/gui/ExporterForm.h"

#include <functional>
#include <memory>

class QMenu;
class QPoint;

namespace kelvarin {

class ErrorReporter;
class EventPump;
class Keyboard;
class OptionsEditor;
class Pickers;
class Prompter;
class Registry;
class Shell;

// What the program reaches the operating system through, handed to the
// composition root in one piece: the application passes the real ones, the
// tests their doubles.
struct MainWindowSeams
{
    Registry &registry;
    EventPump &pump;
    Prompter &prompter;
    Keyboard &keyboard;
    Pickers &pickers;
    Shell &shell;
    // Where failed launches are shown; null: the launch error box.
    ErrorReporter *errors = nullptr;
    // The modal options dialog; null: TSetDirForm.
    OptionsEditor *optionsEditor = nullptr;
    // Shows a pop-up menu at a screen position; empty: QMenu::popup.
    std::function<void(QMenu *, const QPoint &)> popupRunner;
    // Ends the message loop; empty: QCoreApplication::exit(0), which sends
    // no close events, so the close handler does not run again.
    std::function<void()> quit;
};

// The composition root: the options, the model and every window, built once
// in their order and wired to each other here. Start-up builds one on the
// real seams; the window tests build one on doubles. Every window is
// present for the life of the main window.
class MainWindowParts
{
public:
    explicit MainWindowParts(const MainWindowSeams &seams);
    ~MainWindowParts();
    MainWindowParts(const MainWindowParts &) = delete;
    MainWindowParts &operator=(const MainWindowParts &) = delete;

    MainWindowSeams seams;
    TOptions options;
    ClassModel model;
    // The main window first: the others are its children.
    TDisplayForm form;
    TWaitBox waitBox;
    TAboutBox aboutBox;
    TExecuteErrorBox executeErrorBox;
    ErrorReporter &errors;
    std::unique_ptr<TSetDirForm> setDirForm;   // absent when the seams bring their own
    OptionsEditor &optionsEditor;
    MainCommands commands;
    Launchers launchers;
    NewClassCommands newClass;
    TNewClassBelow newClassBelow;
    CompileRunner compileRunner;
    TCompiler compiler;
    TCompilerLog compilerLog;
    PackageExporter exporter;
    TExporterForm exporterForm;
    UccGate uccGate;
    ClassFinder finder;
    TFindBox findBox;
    IntWizard intWizard;
    TNewINTWizard newIntWizard;
    TFindOrphanForm findOrphanForm;

private:
    void Wire();
};

} // namespace kelvarin
