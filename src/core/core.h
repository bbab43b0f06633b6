// The frame of the library: program start, the main window, the worker thread that
// runs the user task, and the flags through which the two threads cooperate.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "base/pump.h"
#include "core/requests.h"
#include "platform/types.h"

// The application's code, run on the worker thread: the set-up routine once, then
// (after Start, or when set-up asked for it) the main routine.
struct UserTask {
  void (*setup)() = nullptr;
  void (*main)() = nullptr;
};

// What the program thread and the worker share (resetLibrary returns it to these start
// values, with the main window's handle kept beside its code); one writer at a time.
struct CoreState {
  // 1 once Start was chosen (or set-up asked for the main routine); the worker's wait
  // loop takes it and runs the main routine.
  std::atomic<int> startRequested{0};
  // 1 while the worker runs the main routine.
  std::atomic<int> mainRunning{0};
  // 1 after Stop, until the user task clears it.
  std::atomic<int> stopRequested{0};
  // 0 none, 1 requested (Exit), 2 acknowledged by the worker.
  std::atomic<int> quitRequested{0};
  // The one window request the main window's thread hands the worker.
  RequestSlotRecord RequestSlot;
};
extern CoreState coreState;
// The fields under the names the library uses.
inline constexpr auto& startRequested = coreState.startRequested;
inline constexpr auto& mainRunning = coreState.mainRunning;
inline constexpr auto& stopRequested = coreState.stopRequested;
inline constexpr auto& quitRequested = coreState.quitRequested;
inline constexpr auto& RequestSlot = coreState.RequestSlot;

// The program entry, run on the program thread: exit code 0, or 1 when start-up fails.
int programEntry(UserTask task);

// The main window (TAVMAINWINDOW in generated source); invalid before start-up. The one
// way to reach it: the layers below core get this same function as
// libraryServices().mainWindow.
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
