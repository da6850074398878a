#pragma once

namespace kelvarin::BackgroundThread {

// Gives the calling thread a lower scheduling priority than the window's
// thread, so that helpers reading ahead use the cores the window's thread
// leaves idle rather than slow it down. Does nothing where it cannot.
void LowerPriority();

} // namespace kelvarin::BackgroundThread
