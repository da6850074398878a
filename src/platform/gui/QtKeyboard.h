#pragma once

#include "platform/Keyboard.h"

namespace kelvarin {

// The keyboard as the window system reports it at this moment.
class QtKeyboard : public Keyboard
{
public:
    bool CtrlHeld() const override;
};

} // namespace kelvarin
