#pragma once

namespace kelvarin::BackgroundThread {

// Gives the calling thread a lower scheduling priority than the window's
// thread, so that helpers reading ahead use the cores the window's thread
// leaves idle rather than slow it down. Does nothing where it cannot.
void LowerPriority();

// Prepares the calling thread for work that allocates about bytes in small
// pieces, where the allocator can grow its memory in few large steps instead
// of many small ones. Does nothing where that gains nothing.
void ReserveHeap(long long bytes);

} // namespace kelvarin::BackgroundThread
