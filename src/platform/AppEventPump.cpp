#include "platform/AppEventPump.h"

#include <QCoreApplication>

namespace kelvarin {

AppEventPump::AppEventPump(int intervalMs)
    : m_intervalMs(intervalMs)
{
    m_sinceLast.start();
}

void AppEventPump::Pump()
{
    if (m_sinceLast.elapsed() < m_intervalMs)
        return;
    m_sinceLast.restart();
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace kelvarin
