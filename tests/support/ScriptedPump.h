#pragma once

#include "platform/EventPump.h"

#include <QList>

#include <functional>

namespace kelvarin::test {

// A pump that counts its calls and runs a scripted step on the actionAt-th
// one, and again on each call listed in againAt: clicks that arrive while a
// long loop lets events run.
class ScriptedPump : public EventPump
{
public:
    void Pump() override
    {
        ++calls;
        if (action && (calls == actionAt || againAt.contains(calls)))
            action();
    }
    bool Terminating() const override { return m_terminating; }
    void SetTerminating() override { m_terminating = true; }

    int calls = 0;
    int actionAt = 0;
    QList<int> againAt;
    std::function<void()> action;

private:
    bool m_terminating = false;
};

} // namespace kelvarin::test
