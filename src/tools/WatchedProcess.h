#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kelvarin {

// A started program as the exporter sees it: something to wait for, to give
// a priority class and to end. The real one wraps Process; tests script one.
class WatchedProcess
{
public:
    virtual ~WatchedProcess() = default;
    // Waits up to timeoutMs (negative: until it ends); true once it has ended.
    // Called by one thread at a time; the others may be called meanwhile.
    virtual bool Wait(int timeoutMs) = 0;
    // The exit code once ended; -1 when ended by a signal.
    virtual int ExitCode() const = 0;
    virtual bool Terminate(int exitCode) = 0;
    virtual bool SetPriorityClass(int priorityClass) = 0;
};

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
using ProgramStarter = std::function<std::shared_ptr<WatchedProcess>(const ProgramCommand &, int *errorCode)>;

// Starts the game's programs the way GamePrograms plans them on this machine.
ProgramStarter GameProgramStarter();

} // namespace kelvarin
