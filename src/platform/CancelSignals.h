#pragma once

#include <memory>

namespace kelvarin {

// While one lives, Ctrl+C and a polite kill (SIGINT and SIGTERM; on Windows
// the C runtime's SIGINT and SIGTERM) call handler instead of ending the
// program; the handlers that were there before come back when it goes. The
// handler runs in a signal context: it may only set lock-free flags.
class CancelSignals
{
public:
    using Handler = void (*)(int);

    explicit CancelSignals(Handler handler);
    ~CancelSignals();
    CancelSignals(const CancelSignals &) = delete;
    CancelSignals &operator=(const CancelSignals &) = delete;

private:
    struct Previous;
    std::unique_ptr<Previous> m_previous;
};

} // namespace kelvarin
