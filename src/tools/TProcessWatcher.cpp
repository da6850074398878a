#include "tools/TProcessWatcher.h"

#include "tools/WatchedProcess.h"

namespace kelvarin {

TProcessWatcher::TProcessWatcher(std::shared_ptr<WatchedProcess> process, quint64 ticket, QObject *parent)
    : QThread(parent), m_process(std::move(process)), m_ticket(ticket)
{
}

TProcessWatcher::~TProcessWatcher()
{
    Stop();
    wait();
}

void TProcessWatcher::run()
{
    if (!m_process)
        return;
    // Waiting is all it does; it must never compete with the user interface.
    setPriority(QThread::LowestPriority);
    while (!m_stop) {
        if (m_process->Wait(WaitStepMs)) {
            if (!m_stop)
                emit ProcessEnded(m_ticket);
            break;
        }
    }
}

} // namespace kelvarin
