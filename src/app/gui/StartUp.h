#pragma once

#include <QApplication>

#include <functional>

namespace kelvarin {

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
    static constexpr int ExitNoDisplay = 3;

    // True when a window system can be reached: on Linux and the other X11
    // and Wayland systems that takes a chosen Qt platform, DISPLAY or
    // WAYLAND_DISPLAY; elsewhere there always is one. getenv answers an
    // environment variable's value (empty when unset).
    static bool HasDisplay(const std::function<QString(const char *)> &getenv);
    static bool HasDisplay();
    static const char *NoDisplayMessage();

    // Runs the program: single instance, the windows, the message loop.
    static int Run(QApplication &app);
};

} // namespace kelvarin
