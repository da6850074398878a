#include "session/ProgramArguments.h"
#include "app/gui/StartUp.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    // --help, --version and a usage error need no window system, so the
    // command line is read before the display is looked for.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const kelvarin::ProgramArguments parsed = kelvarin::ProgramArguments::Parse(arguments, QDir::currentPath());
    {
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const auto code = kelvarin::StartUp::AnswerWithoutWindow(parsed, out, err))
            return *code;
    }
    // QApplication aborts without a window system; say why in plain words.
    if (!kelvarin::StartUp::HasDisplay()) {
        std::fputs(kelvarin::StartUp::NoDisplayMessage(), stderr);
        return kelvarin::StartUp::ExitNoDisplay;
    }
    kelvarin::KelvarinApplication app(argc, argv);
    return kelvarin::StartUp::Run(app, parsed);
}
