#pragma once

#include "platform/BackgroundThread.h"

#include <future>
#include <system_error>
#include <utility>

namespace kelvarin {

// Frees what a container held on a helper thread. Freeing tens of thousands
// of small objects scattered through memory (a tree of a large game, its
// bindings) takes tens of milliseconds, and the window's thread would handle
// no events meanwhile. Only what nothing refers to any more is handed over.
// Each disposal waits for the one before it, and the owner's end waits for
// the last one, so at most one old content is held besides the current one.
class LateDisposal
{
public:
    LateDisposal() = default;
    ~LateDisposal() { Wait(); }
    LateDisposal(const LateDisposal &) = delete;
    LateDisposal &operator=(const LateDisposal &) = delete;

    // Frees thing on a helper thread when large, otherwise (or where no
    // thread can be had) right here.
    template <typename Thing>
    void Dispose(Thing thing, bool large)
    {
        Wait();
        if (!large)
            return;
        try {
            m_done = std::async(std::launch::async, [gone = std::move(thing)]() mutable {
                BackgroundThread::LowerPriority();
                Thing last = std::move(gone);
            });
        } catch (const std::system_error &) {
        }
    }

private:
    void Wait()
    {
        if (m_done.valid())
            m_done.wait();
    }

    std::future<void> m_done;
};

} // namespace kelvarin
