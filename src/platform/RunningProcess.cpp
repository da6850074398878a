#include "platform/RunningProcess.h"

#include <QMetaObject>
#include <QObject>

namespace kelvarin {

ProcessWatch::ProcessWatch(QObject *context, std::function<void()> ended)
    : m_context(context), m_ended(std::make_shared<std::function<void()>>(std::move(ended)))
{
}

ProcessWatch::~ProcessWatch() = default;

void ProcessWatch::Report()
{
    if (m_reported || !m_context)
        return;
    m_reported = true;
    // Queued, and through a weak reference: a report that arrives after the
    // watch is gone does nothing, and the call may free the watch.
    std::weak_ptr<std::function<void()>> weak = m_ended;
    QMetaObject::invokeMethod(
        m_context.data(),
        [weak] {
            if (const std::shared_ptr<std::function<void()>> ended = weak.lock()) {
                const std::function<void()> call = *ended;
                if (call)
                    call();
            }
        },
        Qt::QueuedConnection);
}

} // namespace kelvarin
