// kelvarin-ucc-standin: takes the place of UCC.exe, the game's command-line
// tool. The first argument names the command; each command is one entry of
// the table below.

#include "StandinJournal.h"
#include "UccBatchExport.h"
#include "UccKnobs.h"
#include "UccMake.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

// One command: gets the arguments after the command's name and answers the
// exit code.
using Command = int (*)(int argc, char **argv, const QStringList &arguments);

struct CommandEntry
{
    const char *name;
    Command run;
};

// A dedicated server: says what it received and what it does, as the
// game's server does in its console, then runs until SIGTERM (or the
// terminal's Ctrl+C) ends it.
int Server(int argc, char **argv, const QStringList &arguments)
{
    QCoreApplication app(argc, argv);
    const QByteArray map = arguments.isEmpty() ? QByteArray("(no map)") : arguments.first().toLocal8Bit();
    QStringList commandLine{QStringLiteral("UCC"), QStringLiteral("server")};
    commandLine += arguments;
    std::printf("%s\n", commandLine.join(QLatin1Char(' ')).toLocal8Bit().constData());
    std::printf("Dedicated server stand-in: serving %s from %s (no game runs; this only stands in for one).\n"
                "Stop it with Ctrl+C or by closing this window.\n",
                map.constData(), QDir::currentPath().toLocal8Bit().constData());
    std::fflush(stdout);
    return app.exec();
}

// "make [-log=NAME] [ini=PATH]": checks and packs the EditPackages.
int Make(int, char **, const QStringList &arguments)
{
    return kelvarin::Standin::RunMake(arguments, kelvarin::Standin::UccKnobs::FromEnvironment());
}

// "BatchExport P.u Class uc DIR": writes the classes of a package back.
int BatchExport(int, char **, const QStringList &arguments)
{
    return kelvarin::Standin::RunBatchExport(arguments, kelvarin::Standin::UccKnobs::FromEnvironment());
}

constexpr CommandEntry Commands[] = {
    {"server", &Server},
    {"make", &Make},
    {"batchexport", &BatchExport},
};

} // namespace

int main(int argc, char **argv)
{
    namespace Standin = kelvarin::Standin;
    Standin::DefaultTermination();
    if (const int code = Standin::Begin(argc, argv); code >= 0)
        return code;

    if (argc < 2) {
        std::fputs("Usage: UCC <command> <parameters>\n", stderr);
        return 1;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    // UCC takes its commands in any case ("Server", "SERVER").
    for (const CommandEntry &command : Commands)
        if (name.compare(QLatin1String(command.name), Qt::CaseInsensitive) == 0)
            return command.run(argc, argv, arguments);

    std::fprintf(stderr, "Unknown command: %s\n", argv[1]);
    return 1;
}
