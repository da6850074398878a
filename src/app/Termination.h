#pragma once

namespace kelvarin {

class EventPump;

// Raises the terminating flag of the program's event pumps, so every long
// loop stops at its next step. EventPump itself only reports the flag; the
// pumps in use (the application's, and the silent one of tests and the
// command line) each keep their own setter.
void MarkTerminating(EventPump &pump);

} // namespace kelvarin
