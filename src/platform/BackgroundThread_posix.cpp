#include "platform/BackgroundThread.h"

#include <QThread>

#include <sys/resource.h>

namespace kelvarin::BackgroundThread {

void LowerPriority()
{
#ifdef Q_OS_LINUX
    // On Linux the nice value belongs to each thread: this one only.
    setpriority(PRIO_PROCESS, 0, getpriority(PRIO_PROCESS, 0) + 5);
#else
    // Elsewhere it would be the whole program's.
    QThread::currentThread()->setPriority(QThread::LowPriority);
#endif
}

} // namespace kelvarin::BackgroundThread
