#include "app/gui/StartUp.h"

#include "app/gui/DisplayForm.h"
#include "app/gui/MainWindowParts.h"
#include "persist/FileAssociation.h"
#include "persist/StateFile.h"
#include "platform/AppEventPump.h"
#include "platform/SystemRegistry.h"
#include "platform/SystemShell.h"
#include "platform/gui/MessageBoxPrompter.h"
#include "platform/gui/QtKeyboard.h"
#include "platform/gui/SingleInstance.h"
#include "platform/gui/WidgetPickers.h"
#include "session/CommandGuard.h"
#include "session/ProgramArguments.h"

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
        SingleInstance instance;
        // The file goes to the running instance as a whole path: its working
        // directory is not ours.
        if (!instance.TryAcquire(arguments.file))
            return ExitAlreadyRunning;

        const std::unique_ptr<Registry> systemRegistry = OpenSystemRegistry();
        Registry &registry = *systemRegistry;
        AppEventPump pump;
        QtKeyboard keyboard;
        WidgetPickers pickers;
        // Documents open with the program stored for their extension (the
        // options dialog stores the class editor for ".uc") before the
        // desktop's own choice.
        SystemShell shell([&registry](const QString &file, int line) {
            return FileAssociation::OpenCommandFor(registry, file, line);
        });

        // Every window, in its order; the main window comes first. The launch
        // error box, the options dialog, pop-ups and the end of the message
        // loop are the windows' own.
        MainWindowParts parts({registry, pump, prompter, keyboard, pickers, shell, nullptr, nullptr, {}, {}});
        TDisplayForm &displayForm = parts.form;
        prompter.SetParent(&displayForm);
        // The default state, relative to the directory the program runs in.
        // A missing file is the normal case of a first start: nothing happens.
        ClassModel &model = parts.model;
        displayForm.SetDefaultStateLoader([&model] {
            StateFile(model).LoadState(QString::fromLatin1(StateFile::DefaultState));
        });

        ConnectHandOver(instance, displayForm);
        // Opened at the end of the start-up, after the default state.
        displayForm.OpenFile(arguments.file);

        if (displayForm.AsksForOptionsAtStart())
            displayForm.SetbasedirMenuItemClick();

        parts.waitBox.show();
        parts.waitBox.repaint();
        QCoreApplication::processEvents();
        displayForm.show();
        app.exec();
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
