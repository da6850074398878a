#include "cli/CliEntry.h"
#include "cli/CliRunner.h"
#include "platform/SystemRegistry.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

int kelvarin_cli_run(int argc, char **argv)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    // Help, the version and usage errors are answered from the arguments
    // alone, before the application object, the locale and the settings
    // store cost anything (a bare --help or --version the front answers
    // without loading this library). The application object takes
    // -qmljsdebugger arguments away, so a line with one is read as it sees it.
    bool plainLine = true;
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        plainLine = plainLine && std::strncmp(argv[i], "-qmljsdebugger", 14) != 0;
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (plainLine) {
        const int answered = kelvarin::CliRunner::Answer(arguments, out, err);
        if (answered >= 0)
            return answered;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kelvarin"));
    const std::unique_ptr<kelvarin::Registry> registry = kelvarin::OpenSystemRegistry();
    return kelvarin::CliRunner::Run(app.arguments().mid(1), *registry, out, err, true);
}
