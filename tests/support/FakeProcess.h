#pragma once

#include "platform/RunningProcess.h"

#include <QList>
#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace kelvarin::test {

// The tests' one started program. It ends when the test says so (End), on
// its endAfterWaits-th Wait, or, with terminateEnds, when it is terminated;
// Wait blocks up to its time-out like a real one. It records what it was
// asked, and its watches report its end as a real watch does. Safe to end
// from another thread.
class FakeProcess : public RunningProcess
{
public:
    // ---- Script (set before the process is used) ----
    qint64 pid = 4242;
    int endAfterWaits = 0;              // 0: Wait never ends it
    bool terminateEnds = false;
    std::function<void()> onEnd;        // runs as a Wait ends it
    std::function<void()> onTerminate;  // runs as a Terminate ends it

    // ---- Record ----
    QList<int> priorities;
    QList<int> terminateCodes;
    std::atomic<int> waits{0};
    std::atomic<int> terminations{0};

    qint64 Pid() const override { return pid; }

    bool Wait(int timeoutMs) override
    {
        const int waitNumber = ++waits;
        if (endAfterWaits > 0 && waitNumber >= endAfterWaits && !Finished())
            End(0, onEnd);
        std::unique_lock lock(m_mutex);
        if (timeoutMs < 0)
            m_changed.wait(lock, [this] { return m_ended; });
        else
            m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_ended; });
        return m_ended;
    }

    bool Finished() const override
    {
        std::lock_guard lock(m_mutex);
        return m_ended;
    }

    int ExitCode() const override
    {
        std::lock_guard lock(m_mutex);
        return m_ended ? m_exitCode : -1;
    }

    bool SetPriorityClass(int priorityClass) override
    {
        std::lock_guard lock(m_mutex);
        priorities.append(priorityClass);
        return !m_ended;
    }

    bool Terminate(int exitCode) override
    {
        bool wasEnded;
        {
            std::lock_guard lock(m_mutex);
            terminateCodes.append(exitCode);
            ++terminations;
            wasEnded = m_ended;
        }
        if (terminateEnds && !wasEnded)
            End(exitCode, onTerminate);
        return !wasEnded;
    }

    // Ends the program with exitCode (-1: by a signal), running step first.
    void End(int exitCode = 0, const std::function<void()> &step = {})
    {
        if (step)
            step();
        std::lock_guard lock(m_mutex);
        if (m_ended)
            return;
        m_ended = true;
        m_exitCode = exitCode;
        m_changed.notify_all();
        for (Watcher *watcher : m_watchers)
            watcher->Post();
    }

    std::unique_ptr<ProcessWatch> Watch(QObject *context, std::function<void()> ended) override
    {
        auto watcher = std::make_unique<Watcher>(*this, context, std::move(ended));
        std::lock_guard lock(m_mutex);
        m_watchers.push_back(watcher.get());
        if (m_ended)
            watcher->Post();
        return watcher;
    }

private:
    // Reports through its own object, so that an end from another thread
    // reaches the watch on the thread that made it.
    class Watcher : public ProcessWatch
    {
    public:
        Watcher(FakeProcess &process, QObject *context, std::function<void()> ended)
            : ProcessWatch(context, std::move(ended)), m_process(process)
        {
        }
        ~Watcher() override
        {
            std::lock_guard lock(m_process.m_mutex);
            std::erase(m_process.m_watchers, this);
        }
        // Called with the process's mutex held.
        void Post()
        {
            QMetaObject::invokeMethod(&m_self, [this] { Report(); }, Qt::QueuedConnection);
        }

    private:
        FakeProcess &m_process;
        QObject m_self;
    };

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ended = false;
    int m_exitCode = -1;
    std::vector<Watcher *> m_watchers;
};

} // namespace kelvarin::test
