#include "platform/BackgroundThread.h"

#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

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

void ReserveHeap(long long bytes)
{
#ifdef __GLIBC__
    // glibc gives each helper thread a heap of its own and grows it a page at
    // a time, one mprotect call each: building a large tree on a helper cost
    // thousands of calls. Blocks just below the size malloc would map apart
    // grow the heap in a few calls; freed, their pages go back to the system
    // while the heap keeps its reach.
    constexpr long long Block = 120 * 1024;
    constexpr long long Most = 32ll * 1024 * 1024;   // well within one heap
    std::vector<void *> blocks;
    blocks.reserve(size_t(std::min(bytes, Most) / Block + 1));
    for (long long got = 0; got < std::min(bytes, Most); got += Block)
        blocks.push_back(std::malloc(Block));
    for (void *block : blocks)
        std::free(block);
#else
    (void)bytes;
#endif
}

} // namespace kelvarin::BackgroundThread
