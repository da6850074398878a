#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QObject;

namespace kelvarin {

// What to start: the program, its arguments as they reach it, where it runs.
struct ProcessStart
{
    QString program;            // a native path, or a bare name looked up on PATH
    QStringList arguments;
    QString workingDirectory;   // native; empty: the current directory
    // In a session of its own: it keeps running when this program ends and
    // is not reached by signals meant for this program's terminal.
    bool ownSession = false;
};

// A watch on a started program (RunningProcess::Watch): reports the
// program's end once, by a queued call on its context's thread. Destroying
// the watch ends it: no report arrives afterwards, not even one already on
// its way. The report may destroy the watch.
class ProcessWatch
{
public:
    ProcessWatch(QObject *context, std::function<void()> ended);
    virtual ~ProcessWatch();
    ProcessWatch(const ProcessWatch &) = delete;
    ProcessWatch &operator=(const ProcessWatch &) = delete;

protected:
    // Sends the report to the context's thread; only the first call counts.
    // Call it on the thread that made the watch.
    void Report();

private:
    QPointer<QObject> m_context;
    std::shared_ptr<std::function<void()>> m_ended;
    bool m_reported = false;
};

// A started program as every caller sees it: wait for it, watch it without
// waiting, give it a priority class, end it. Process is the real one; tests
// have one double (tests/support/FakeProcess.h).
class RunningProcess
{
public:
    virtual ~RunningProcess() = default;

    virtual qint64 Pid() const = 0;
    // Waits up to timeoutMs milliseconds (0: only looks; negative: until it
    // ends); true when the program has ended. One thread at a time; the
    // other calls may come from another thread meanwhile.
    virtual bool Wait(int timeoutMs) = 0;
    virtual bool Finished() const = 0;
    // The exit code once finished; -1 when it was ended by a signal.
    virtual int ExitCode() const = 0;
    // Ended by a crash (a signal) rather than by itself: whatever file it
    // was writing may be cut short.
    bool Crashed() const { return Finished() && ExitCode() == -1; }

    // A Windows priority class: idle 64, normal 32, high 128, real time
    // 256. False when refused; callers do not report a refusal.
    virtual bool SetPriorityClass(int priorityClass) = 0;
    // Ends the program: on Windows at once with exitCode; elsewhere the
    // first call asks (SIGTERM) and a second one insists (SIGKILL). False
    // when it had already ended.
    virtual bool Terminate(int exitCode) = 0;

    // Calls ended once, on context's thread, when the program ends (soon,
    // when it has ended already), without any thread polling for it. Call
    // it on a thread that runs an event loop, the thread of context; the
    // watch must go before the process does.
    [[nodiscard]] virtual std::unique_ptr<ProcessWatch> Watch(QObject *context, std::function<void()> ended) = 0;
};

// Starts a program; null and *errorCode (a launch code, LaunchCodes.h) on
// failure.
using ProcessStarter = std::function<std::shared_ptr<RunningProcess>(const ProcessStart &, int *errorCode)>;

} // namespace kelvarin
