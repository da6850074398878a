#include "platform/BackgroundThread.h"

#include <QThread>

namespace kelvarin::BackgroundThread {

void LowerPriority()
{
    QThread::currentThread()->setPriority(QThread::LowPriority);
}

void ReserveHeap(long long)
{
    // The Windows heap grows in large steps already.
}

} // namespace kelvarin::BackgroundThread
