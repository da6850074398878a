#pragma once

#include <chrono>
#include <future>

namespace kelvarin {

// Long loops call Pump() between items so the user interface stays live, and
// stop as soon as Terminating() is true. The application's pump owns the
// terminating flag; tests pass a pump that does nothing or runs a scripted step.
class EventPump
{
public:
    virtual ~EventPump() = default;
    virtual void Pump() = 0;
    virtual bool Terminating() const = 0;
    // Raised by the close handler and by "E&xit"; never lowered again.
    virtual void SetTerminating() = 0;
};

// A pump that never processes events and never terminates (tests, the CLI).
class NullEventPump : public EventPump
{
public:
    void Pump() override {}
    bool Terminating() const override { return m_terminating; }
    void SetTerminating() override { m_terminating = true; }
    void SetTerminating(bool on) { m_terminating = on; }

private:
    bool m_terminating = false;
};

// Waits for work running on a helper thread (or does deferred work), letting
// the window handle its events first and then every 20 ms at most.
template <typename Result>
void WaitPumping(std::future<Result> &result, EventPump &pump)
{
    pump.Pump();
    while (result.wait_for(std::chrono::milliseconds(20)) == std::future_status::timeout)
        pump.Pump();
    result.wait();   // runs deferred work
}

} // namespace kelvarin
