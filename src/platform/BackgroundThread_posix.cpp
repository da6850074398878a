#include "platform/BackgroundThread.h"

#include <QThread>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
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

#if defined(__GLIBC__) && defined(Q_OS_LINUX) && UINTPTR_MAX > 0xFFFFFFFFu
#define KELVARIN_HUGE_THREAD_HEAPS
#ifndef MADV_COLLAPSE
#define MADV_COLLAPSE 25   // Linux 6.1; older kernels refuse it, which changes nothing
#endif
namespace {

// glibc keeps a helper thread's heap in a region of its own, reserved at its
// full length and aligned to it; the heap's bookkeeping sits at its start.
constexpr std::uintptr_t ThreadHeapSpan = std::uintptr_t(64) << 20;
constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;

// The start of the thread heap that holds block, which was the thread's first
// large allocation; 0 when block lies in the main heap (below the program
// break) or too far from the start of a region to be a fresh thread heap's.
std::uintptr_t ThreadHeapOf(const void *block)
{
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    if (!block || address < reinterpret_cast<std::uintptr_t>(sbrk(0)))
        return 0;
    const std::uintptr_t heap = address & ~(ThreadHeapSpan - 1);
    return address - heap < HugePage ? heap : 0;
}

} // namespace
#endif

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
    const long long reach = std::min(bytes, Most);
    std::vector<void *> blocks;
    blocks.reserve(size_t(reach / Block + 1));
    blocks.push_back(std::malloc(Block));
#ifdef KELVARIN_HUGE_THREAD_HEAPS
    // Each first touch of a 4 KiB page traps into the kernel, and in a
    // virtual machine a trap costs several microseconds: a 20,000-class tree
    // touches thousands. Huge pages, where the system gives them on request,
    // take one trap for 2 MiB. The heap's first 2 MiB were touched before the
    // advice could apply; they are merged into one huge page once the blocks
    // are gone.
    const std::uintptr_t heap = ThreadHeapOf(blocks.front());
    if (heap)
        madvise(reinterpret_cast<void *>(heap), ThreadHeapSpan, MADV_HUGEPAGE);
#endif
    for (long long got = Block; got < reach; got += Block)
        blocks.push_back(std::malloc(Block));
    for (void *block : blocks)
        std::free(block);
#ifdef KELVARIN_HUGE_THREAD_HEAPS
    if (heap && reach >= static_cast<long long>(HugePage))
        madvise(reinterpret_cast<void *>(heap), HugePage, MADV_COLLAPSE);
#endif
#else
    (void)bytes;
#endif
}

} // namespace kelvarin::BackgroundThread
