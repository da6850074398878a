// kelvarin-game-standin: takes the place of UnrealTournament.exe (and, with
// KELVARIN_STANDIN_EXIT, of any program a test needs). It accepts every
// command line: a map with options, an address to join, "server ...".

#include "StandinJournal.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdlib>

namespace {

bool EnvSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

bool RunsHeadless(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]).compare("-headless", Qt::CaseInsensitive) == 0)
            return true;
    // Without a display there is nothing to show a window on; a platform
    // chosen explicitly (offscreen, for instance) still gets its window.
    return !EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY") && !EnvSet("QT_QPA_PLATFORM");
}

QStringList Arguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char **argv)
{
    namespace Standin = kelvarin::Standin;
    Standin::DefaultTermination();
    if (const int code = Standin::Begin(argc, argv); code >= 0)
        return code;

    if (RunsHeadless(argc, argv)) {
        QCoreApplication app(argc, argv);
        return app.exec();   // until SIGTERM
    }

    QApplication app(argc, argv);
    QWidget window;
    QStringList title{QStringLiteral("UnrealTournament")};
    title.append(Arguments(argc, argv));
    window.setWindowTitle(title.join(QLatin1Char(' ')));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral(
        "This is Kelvarin's stand-in for Unreal Tournament.\n"
        "It does nothing but wait: close this window to end it."), &window));
    window.resize(420, 120);
    window.show();
    return app.exec();
}
