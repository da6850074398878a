#pragma once

#include "platform/Keyboard.h"

namespace kelvarin::test {

// A keyboard whose Ctrl key the test holds or releases.
class TestKeyboard : public Keyboard
{
public:
    bool CtrlHeld() const override { return ctrl; }
    bool ctrl = false;
};

} // namespace kelvarin::test
