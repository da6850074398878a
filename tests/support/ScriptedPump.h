#pragma once

#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QList>

#include <functional>

namespace kelvarin::test {

// A pump that counts its calls and runs a scripted step on the actionAt-th
// one (on every one when actionAt is negative), and again on each call
// listed in againAt: clicks that arrive while a long loop lets events run.
// With processEvents set it also lets the application's events run.
class ScriptedPump : public EventPump
{
public:
    void Pump() override
    {
        ++calls;
        if (processEvents)
            QCoreApplication::processEvents();
        if (action && (actionAt < 0 || calls == actionAt || againAt.contains(calls)))
            action();
    }
    bool Terminating() const override { return m_terminating; }
    void SetTerminating() override { m_terminating = true; }

    int calls = 0;
    int actionAt = 0;
    bool processEvents = false;
    QList<int> againAt;
    std::function<void()> action;

private:
    bool m_terminating = false;
};

} // namespace kelvarin::test
