#pragma once

#include <QStringList>
#include <QTextStream>

namespace kelvarin {

class Registry;

// Runs kelvarin-cli's actions in the order given, on one model.
class CliRunner
{
public:
    // Exit codes: 0 no error shown, 1 an error was shown, 2 a usage error.
    // processEndsAfterwards: the model is left for the operating system to
    // free with the process, at once, instead of node by node.
    static int Run(const QStringList &arguments, Registry &registry, QTextStream &out,
                   QTextStream &err, bool processEndsAfterwards = false);
    static QString Usage();
    // Reads the command line only: answers the exit code of a run that ends
    // there (help, version or a usage error, written as Run writes them), or
    // -1 when the line asks for actions. Needs no application object.
    static int Answer(const QStringList &arguments, QTextStream &out, QTextStream &err);
};

} // namespace kelvarin
