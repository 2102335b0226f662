#pragma once

// The engine's heap, grown once ahead of the start-up and backed by huge
// pages where the system lends them on request. Before its first frame the
// engine and the graphics driver fill tens of megabytes of pictures, depth
// and driver buffers; on small pages each 4 KB of it costs a page fault of
// its own, which made up a large part of the start-up.

// Sets the allocator up and advises the reserved heap. False when the
// allocator is not the C library's or the heap could not grow in one piece:
// the program then runs on small pages, only slower to start.
bool ReserveStartHeap();
