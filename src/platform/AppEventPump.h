#pragma once

#include "platform/EventPump.h"

#include <QElapsedTimer>

namespace kelvarin {

// Processes pending events at most every few milliseconds: pumping on every
// item of a long loop would dominate its run time.
class AppEventPump : public EventPump
{
public:
    explicit AppEventPump(int intervalMs = 15);
    void Pump() override;
    bool Terminating() const override { return m_terminating; }
    void SetTerminating() override { m_terminating = true; }

private:
    QElapsedTimer m_sinceLast;
    int m_intervalMs;
    bool m_terminating = false;
};

} // namespace kelvarin
