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
};

} // namespace kelvarin
