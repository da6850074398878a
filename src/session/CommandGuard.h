#pragma once

#include <QString>

#include <functional>

namespace kelvarin {

class Prompter;

// The boundary of every command: an error raised below a command stops the
// command, and its message is shown by the application's standard error
// display (an error box titled "Kelvarin"). Nothing is thrown past this
// point, so no exception ever reaches the Qt event loop. Answers false when
// the command ended in an error.
bool RunGuarded(Prompter &prompter, const std::function<void()> &command);

// The message of the exception being handled (call inside a catch block).
QString CurrentErrorMessage();

} // namespace kelvarin
