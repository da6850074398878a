#include "platform/BackgroundThread.h"

#include <QThread>

namespace kelvarin::BackgroundThread {

void LowerPriority()
{
    QThread::currentThread()->setPriority(QThread::LowPriority);
}

} // namespace kelvarin::BackgroundThread
