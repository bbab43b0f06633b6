// The message pumps of the program's two threads.
#pragma once

#include <atomic>

// Set when the main window moved; the worker's pump then retakes the window edges
// (the snapshot reads the worker's window tables, so the worker takes it).
extern std::atomic<int> edgeRefreshRequested;

// The worker's pump: every waiting message, offered to the input box's and the button
// box's dialog keys first, then translated and dispatched.
void PumpUserMessages();
// The program thread's pump, without dialog handling; a Quit is left for its loop.
void PumpMessages();
