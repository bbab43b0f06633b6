// The frame of the library: program start, the main window, the worker thread that
// runs the user task, and the flags through which the two threads cooperate.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "base/pump.h"
#include "platform/types.h"

// The application's code, run on the worker thread: the set-up routine once, then
// (after Start, or when set-up asked for it) the main routine.
struct UserTask {
  void (*setup)() = nullptr;
  void (*main)() = nullptr;
};

// Shared between the program thread and the worker; one writer at a time.
extern std::atomic<int> startRequested;
extern std::atomic<int> mainRunning;
extern std::atomic<int> stopRequested;
extern std::atomic<int> quitRequested;  // 0 none, 1 requested, 2 acknowledged

// The program entry, run on the program thread: exit code 0, or 1 when start-up fails.
int programEntry(UserTask task);

// The main window (TAVMAINWINDOW in generated source); invalid before start-up.
plat::Window mainWindowHandle();
// How generated layout source names the main window.
#define TAVMAINWINDOW (mainWindowHandle())
int instanceNumber();
int programColorDepth();
// The current directory at start, ending in "/".
const std::string& startDirectory();

// Milliseconds from the performance counter, low 32 bits; compare differences unsigned.
int32_t GetMilliseconds();
void TAV_SetForeground(plat::Window w);
