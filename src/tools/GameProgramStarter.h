#pragma once

#include "platform/RunningProcess.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kelvarin {

// What to start. program and workingDirectory are game paths (BaseDir +
// "\System\..."); each argument reaches the program as it is, however many
// blanks it holds.
struct ProgramCommand
{
    QString program;
    QStringList arguments;
    QString workingDirectory;
    bool shown = false;
};

// Starts a command; on failure answers null and sets *errorCode to a launch
// code (LaunchCodes.h).
using ProgramStarter = std::function<std::shared_ptr<RunningProcess>(const ProgramCommand &, int *errorCode)>;

// Starts the game's programs the way GamePrograms plans them on this machine.
ProgramStarter GameProgramStarter();

} // namespace kelvarin
