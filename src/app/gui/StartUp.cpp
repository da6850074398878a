#include "app/gui/StartUp.h"

#include "app/gui/AboutBox.h"
#include "app/CommandGuard.h"
#include "app/ProgramArguments.h"
#include "app/gui/DisplayForm.h"
#include "app/gui/WaitBox.h"
#include "model/ClassModel.h"
#include "persist/FileAssociation.h"
#include "persist/Options.h"
#include "persist/StateFile.h"
#include "persist/gui/SetDirForm.h"
#include "platform/AppEventPump.h"
#include "platform/SystemRegistry.h"
#include "platform/SystemShell.h"
#include "platform/gui/MessageBoxPrompter.h"
#include "platform/gui/QtKeyboard.h"
#include "platform/gui/SingleInstance.h"
#include "platform/gui/WidgetPickers.h"
#include "authoring/gui/FindOrphanForm.h"
#include "authoring/IntWizard.h"
#include "authoring/gui/NewClassBelow.h"
#include "authoring/gui/NewINTWizard.h"
#include "search/ClassFinder.h"
#include "search/gui/FindBox.h"
#include "tools/CompileRunner.h"
#include "tools/PackageExporter.h"
#include "tools/gui/Compiler.h"
#include "tools/gui/CompilerLog.h"
#include "tools/gui/ExecuteErrorBox.h"
#include "tools/gui/ExporterForm.h"

#include <QScreen>
#include <QTextStream>

namespace kelvarin {

namespace {

// Restores the window from the minimised state, shows it and brings it to
// the front.
void BringForward(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

KelvarinApplication::KelvarinApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool KelvarinApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString message = CurrentErrorMessage();
        try {
            MessageBoxPrompter().Error(message);
        } catch (...) {
        }
        return false;
    }
}

bool StartUp::HasDisplay(const std::function<QString(const char *)> &getenv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return !getenv("QT_QPA_PLATFORM").isEmpty() || !getenv("DISPLAY").isEmpty()
        || !getenv("WAYLAND_DISPLAY").isEmpty();
#else
    Q_UNUSED(getenv);
    return true;
#endif
}

bool StartUp::HasDisplay()
{
    return HasDisplay([](const char *name) { return qEnvironmentVariable(name); });
}

const char *StartUp::NoDisplayMessage()
{
    return "kelvarin: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
           "Start it inside a desktop session, or set QT_QPA_PLATFORM (for example\n"
           "QT_QPA_PLATFORM=offscreen), or use kelvarin-cli.\n";
}

std::optional<int> StartUp::AnswerWithoutWindow(const ProgramArguments &arguments, QTextStream &out,
                                                 QTextStream &err)
{
    std::optional<int> code;
    switch (arguments.action) {
    case ProgramArguments::Action::Help:
        out << ProgramArguments::Usage();
        code = ExitNormal;
        break;
    case ProgramArguments::Action::Version:
        out << ProgramArguments::VersionText() << '\n';
        code = ExitNormal;
        break;
    case ProgramArguments::Action::UsageError:
        err << ProgramArguments::ProgramName << ": " << arguments.message << "\n\n" << ProgramArguments::Usage();
        code = ExitUsage;
        break;
    case ProgramArguments::Action::Run:
        if (arguments.fileKind == ProgramArguments::FileKind::Unknown)
            err << ProgramArguments::ProgramName << ": " << arguments.message << '\n';
        break;
    }
    out.flush();
    err.flush();
    return code;
}

void StartUp::ConnectHandOver(SingleInstance &instance, TDisplayForm &displayForm)
{
    QObject::connect(&instance, &SingleInstance::RequestReceived, &displayForm,
                     [&displayForm](int wParam, int lParam, const QString &file) {
                         if (!SingleInstance::IsBringForwardRequest(wParam, lParam))
                             return;
                         BringForward(&displayForm);
                         displayForm.OpenFile(file);
                     });
}

int StartUp::Run(QApplication &app, const ProgramArguments &arguments)
{
    app.setApplicationName(QStringLiteral("Kelvarin"));
    // The main window's close handler ends the program; closing the splash or
    // a secondary window must not.
    app.setQuitOnLastWindowClosed(false);

    MessageBoxPrompter prompter;
    try {
        TOptions options;

        SingleInstance instance;
        // The file goes to the running instance as a whole path: its working
        // directory is not ours.
        if (!instance.TryAcquire(arguments.file))
            return ExitAlreadyRunning;

        const std::unique_ptr<Registry> systemRegistry = OpenSystemRegistry();
        Registry &registry = *systemRegistry;
        AppEventPump pump;
        QtKeyboard keyboard;
        ClassModel model(options, pump, prompter);

        // The windows, in their order; the main window comes first.
        TDisplayForm displayForm(options, registry, model, prompter, keyboard, pump);
        prompter.SetParent(&displayForm);
        WidgetPickers pickers;
        TSetDirForm setDirForm(pickers, &displayForm);
        TWaitBox waitBox;
        TAboutBox aboutBox(&displayForm);
        TExecuteErrorBox executeErrorBox(&displayForm);
        CompileRunner compileRunner(options, pump, prompter, executeErrorBox);
        TCompiler compiler(options, compileRunner, &displayForm);
        compileRunner.SetView(&compiler);
        TCompilerLog compilerLog(options, prompter, &displayForm);
        PackageExporter exporter(model, executeErrorBox);
        TExporterForm exporterForm(exporter, &displayForm);
        displayForm.SetCompileTools(&compileRunner, &compilerLog, &exporter, &exporterForm);
        // Documents open with the program stored for their extension (the
        // options dialog stores the class editor for ".uc") before the
        // desktop's own choice.
        SystemShell shell([&registry](const QString &file, int line) { return FileAssociation::OpenCommandFor(registry, file, line); });
        displayForm.SetLaunchSeams(&shell, &executeErrorBox);
        TNewClassBelow newClassBelow(prompter, &displayForm);
        displayForm.SetNewClassDialog(&newClassBelow);
        ClassFinder finder(model);
        TFindBox findBox(finder, prompter, &displayForm);
        displayForm.SetFindBox(&findBox);
        IntWizard intWizard(model);
        TNewINTWizard newIntWizard(intWizard, prompter, &displayForm);
        displayForm.SetIntWizard(&newIntWizard);
        TFindOrphanForm findOrphanForm(options, pump, prompter, &displayForm);
        displayForm.SetOrphanForm(&findOrphanForm);
        displayForm.SetOptionsEditor(&setDirForm);
        displayForm.SetWaitBox(&waitBox);
        displayForm.SetAboutBox(&aboutBox);
        displayForm.SetPickers(&pickers);
        // The default state, relative to the directory the program runs in.
        // A missing file is the normal case of a first start: nothing happens.
        displayForm.SetDefaultStateLoader([&model] {
            StateFile(model).LoadState(QString::fromLatin1(StateFile::DefaultState));
        });

        ConnectHandOver(instance, displayForm);
        // Opened at the end of the start-up, after the default state.
        displayForm.OpenFile(arguments.file);

        if (displayForm.AsksForOptionsAtStart())
            displayForm.SetbasedirMenuItemClick();

        waitBox.show();
        waitBox.repaint();
        QCoreApplication::processEvents();
        displayForm.show();
        app.exec();
        displayForm.SetLaunchSeams(nullptr, nullptr);
        instance.Release();
    } catch (...) {
        const QString message = CurrentErrorMessage();
        try {
            prompter.Error(message);
        } catch (...) {
        }
    }
    return ExitNormal;
}

} // namespace kelvarin
