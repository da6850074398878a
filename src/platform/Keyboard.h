#pragma once

namespace kelvarin {

// Reads the state of the keyboard now (not from the event queue).
class Keyboard
{
public:
    virtual ~Keyboard() = default;
    virtual bool CtrlHeld() const = 0;
};

} // namespace kelvarin
