#pragma once

#include "platform/EventPump.h"

namespace kelvarin::test {

// A pump that counts its calls and reports terminating once it has been
// called terminateAfter times (0: from the start; negative: never).
class CountingPump : public EventPump
{
public:
    explicit CountingPump(int terminateAfter = -1) : m_terminateAfter(terminateAfter) {}
    void Pump() override { ++calls; }
    bool Terminating() const override
    {
        return m_terminating || (m_terminateAfter >= 0 && calls >= m_terminateAfter);
    }
    void SetTerminating() override { m_terminating = true; }

    int calls = 0;

private:
    int m_terminateAfter;
    bool m_terminating = false;
};

} // namespace kelvarin::test
