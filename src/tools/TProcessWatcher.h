#pragma once

#include <QThread>

#include <atomic>
#include <memory>

namespace kelvarin {

class WatchedProcess;

// Waits for one started program off the user-interface thread and reports
// its end once, through a queued signal, so every reaction runs on the
// receiver's thread. The watcher does no work of its own. Its owner keeps
// it alive until the thread has finished: a watcher is never freed under a
// running wait, and Stop() on one that has finished does nothing.
class TProcessWatcher : public QThread
{
    Q_OBJECT

public:
    static constexpr int WaitStepMs = 100;

    // ticket: handed back with the end, so the receiver can tell an end that
    // is no longer of interest (a process it has stopped caring about).
    TProcessWatcher(std::shared_ptr<WatchedProcess> process, quint64 ticket, QObject *parent = nullptr);
    ~TProcessWatcher() override;   // stops the watch and waits for the thread

    // Ends the watch within one wait step; the program is not touched and
    // no end is reported afterwards.
    void Stop() { m_stop = true; }
    quint64 Ticket() const { return m_ticket; }

signals:
    void ProcessEnded(quint64 ticket);

protected:
    void run() override;

private:
    std::shared_ptr<WatchedProcess> m_process;
    const quint64 m_ticket;
    std::atomic<bool> m_stop{false};
};

} // namespace kelvarin
