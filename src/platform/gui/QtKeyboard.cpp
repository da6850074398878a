#include "platform/gui/QtKeyboard.h"

#include <QGuiApplication>

namespace kelvarin {

bool QtKeyboard::CtrlHeld() const
{
    // queryKeyboardModifiers asks the window system now instead of trusting
    // the last input event, which at start-up has not arrived yet.
    return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
}

} // namespace kelvarin
