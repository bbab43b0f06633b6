// Starting the application: Qt on the main thread, the program entry on its own thread.
#pragma once

#include <functional>

namespace plat {

// Runs Qt on the calling (main) thread and `entry` on the program thread; returns
// entry's result once it has returned and Qt has shut down. With offscreenByDefault,
// QT_QPA_PLATFORM defaults to the offscreen plugin with a 1280 x 1024 screen.
int runApplication(int argc, char** argv, std::function<int()> entry,
                   bool offscreenByDefault = false);

// Ends the process now with this code after flushing standard streams, without running
// static destructors (a worker that was abandoned may still hold library state).
[[noreturn]] void quickExit(int code);

}  // namespace plat
