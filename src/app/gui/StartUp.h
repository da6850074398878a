#pragma once

#include <QApplication>

#include <functional>
#include <optional>

class QTextStream;

namespace kelvarin {

class ProgramArguments;
class SingleInstance;
class TDisplayForm;

// The application object. Its notify() is the last guard against an error
// escaping an event handler: the error is shown and the program goes on.
class KelvarinApplication : public QApplication
{
    Q_OBJECT

public:
    KelvarinApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// The program's entry sequence after the application object exists.
class StartUp
{
public:
    // Exit codes of the program.
    static constexpr int ExitNormal = 0;
    static constexpr int ExitAlreadyRunning = 1;
    static constexpr int ExitUsage = 2;
    static constexpr int ExitNoDisplay = 3;

    // True when a window system can be reached: on Linux and the other X11
    // and Wayland systems that takes a chosen Qt platform, DISPLAY or
    // WAYLAND_DISPLAY; elsewhere there always is one. getenv answers an
    // environment variable's value (empty when unset).
    static bool HasDisplay(const std::function<QString(const char *)> &getenv);
    static bool HasDisplay();
    static const char *NoDisplayMessage();

    // What the command line settles before any window or display: --help
    // and --version print to out, a usage error prints to err; the answer is
    // then the exit code. A file that will not be opened is reported on err.
    // Nothing: the program runs.
    static std::optional<int> AnswerWithoutWindow(const ProgramArguments &arguments, QTextStream &out,
                                                  QTextStream &err);

    // The running instance's side of a later start: "1 1" brings the window
    // forward, and the file that came with it is opened there.
    static void ConnectHandOver(SingleInstance &instance, TDisplayForm &displayForm);

    // Runs the program: single instance (a later start hands its file over),
    // the windows, the file of the command line, the message loop.
    static int Run(QApplication &app, const ProgramArguments &arguments);
};

} // namespace kelvarin
