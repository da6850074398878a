#pragma once

#include "platform/RunningProcess.h"

#include <memory>

namespace kelvarin {

// One started program. Its standard input and output never are this
// program's: they lead to the null device (so a started program never holds
// a pipe of ours open). Destroying the object stops watching the program and
// never ends it; a program nobody waits for is reaped in the background, so
// it leaves no zombie behind.
class Process : public RunningProcess
{
public:
    ~Process() override;
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    // Starts the program. On failure answers null and sets *errorCode to a
    // launch code (LaunchCodes.h): not found 2, a missing directory 3, access
    // denied 5, out of memory 8, not an executable 11.
    static std::unique_ptr<Process> Start(const ProcessStart &start, int *errorCode);
    // Start, as the starter the tools use unless a test gives its own.
    static ProcessStarter Starter();

    qint64 Pid() const override;

    // Waits up to timeoutMs milliseconds (0: only looks; negative: until it
    // ends); true when the program has ended. Safe to call from any one
    // thread at a time; Finished, ExitCode, SetPriorityClass and Terminate
    // may be called from another thread meanwhile.
    bool Wait(int timeoutMs) override;
    bool Finished() const override;
    // The exit code once finished; -1 when it was ended by a signal.
    int ExitCode() const override;

    // Gives the program a Windows priority class: idle 64, normal 32, high
    // 128, real time 256. Elsewhere these are nice values 19, 0, -5 and -10.
    // False when the system refuses (raising priority needs privileges), for
    // any other class (NiceValue answers 0 for it) and once the program has
    // ended; callers do not report a refusal.
    bool SetPriorityClass(int priorityClass) override;
    static int NiceValue(int priorityClass);
    static bool IsPriorityClass(int priorityClass);

    // Ends the program (on Windows at once, with that exit code). Elsewhere
    // the first call sends SIGTERM, to the whole process group when the
    // program has a session of its own, so it can close its files; a program
    // that ignores SIGTERM is killed (SIGKILL) by calling again. False when
    // the program had already ended or the signal could not be sent.
    bool Terminate(int exitCode) override;

    // On Linux the watch waits on the process's pidfd through the event
    // loop (a socket notifier); on Windows on the process handle. Only where
    // neither exists (a kernel older than 5.3) does it look every 100 ms.
    std::unique_ptr<ProcessWatch> Watch(QObject *context, std::function<void()> ended) override;

private:
    Process();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kelvarin
