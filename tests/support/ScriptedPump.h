#pragma once

#include "platform/EventPump.h"

#include <functional>

namespace kelvarin::test {

// A pump that counts its calls and runs a scripted step on the actionAt-th
// one: a click that arrives while a long loop lets events run.
class ScriptedPump : public EventPump
{
public:
    void Pump() override
    {
        ++calls;
        if (action && calls == actionAt)
            action();
    }
    bool Terminating() const override { return m_terminating; }
    void SetTerminating() override { m_terminating = true; }

    int calls = 0;
    int actionAt = 0;
    std::function<void()> action;

private:
    bool m_terminating = false;
};

} // namespace kelvarin::test
