// The calls that cross the library's layers upward. A lower layer (image windows, text
// windows) needs a few things that only a higher one has: the main window, the window
// edges, a line typed in a text window, whether a pick runs, the worker's pump. The
// program fills this struct once at start-up; tests fill it with their stand-ins.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/pump.h"
#include "platform/message.h"
#include "platform/types.h"

// The input box and the button box as the window information lists them.
struct BoxesLayout {
  bool inputBoxOpen = false;
  plat::Rect inputBoxRect;  // outer, screen coordinates
  int itemCount = 0;
  int labelWidth = 0;                   // ISIZE
  int editWidth = 0;                    // ESIZE
  std::vector<std::string> itemLabels;  // UTF-8
  bool buttonBoxOpen = false;
  plat::Rect buttonBoxRect;  // outer, screen coordinates
  int columns = 0;           // NX
  int rows = 0;              // NY
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<std::string> buttonLabels;  // UTF-8, "\n" between the lines of a label
};

struct LibraryServices {
  // The library's main window: owner of every window, target of forwarded keys, home
  // of the status line. Invalid before it exists.
  plat::Window (*mainWindow)() = [] { return plat::Window{}; };
  // Takes a new snapshot of every library window's edges.
  void (*refreshWindowEdges)() = [] {};
  // With Ctrl held, shifts a dragged window's proposed outer rectangle onto nearby edges.
  void (*snapMovingWindow)(plat::Rect& proposed, plat::Window window) = [](plat::Rect&,
                                                                           plat::Window) {};
  // Prints the prompt in the current text window and returns the line typed after it.
  std::string (*promptLine)(const std::string& prompt) = [](const std::string&) {
    return std::string();
  };
  // Opens text window n (or brings it forward) and makes it current; -1 for a default.
  int (*openTextWindow)(int n, int x, int y, int width, int height) = [](int, int, int, int, int) {
    return 1;
  };
  // The image editor: an image window's commands, right and middle buttons (menus) and
  // dropped files. True when it handled the message; false leaves it to the default handling.
  bool (*imageEditor)(plat::Window window,
                      plat::Message& message) = [](plat::Window, plat::Message&) { return false; };
  // Whether a point-picking tool holds the image windows' mouse and keys.
  bool (*pickInProgress)() = [] { return false; };
  // Hands a mouse event of image window `number` to the running picking tool: kind
  // MouseMove, LButtonDown, RButtonDown or MButtonDown at a client point. Events of a
  // window other than the one being picked, and any while no tool runs, are ignored.
  void (*pickMouse)(int number, plat::Msg kind, int clientX, int clientY) = [](int, plat::Msg, int,
                                                                               int) {};
  // Shows a text in the main window's status line.
  void (*statusLine)(const char* text) = [](const char*) {};
  // The user task's stop request (the main window's Stop): whether it is set, and
  // clearing it.
  bool (*stopRequested)() = [] { return false; };
  void (*clearStopRequest)() = [] {};
  // Lets the main window take dropped files again (true) or stops it (false); the main
  // window decides whether it can take them at all.
  void (*allowMainWindowDrops)(bool allow) = [](bool) {};
  // The input box and the button box, in the order the pump offers messages to them.
  std::array<plat::Window, 2> (*dialogBoxes)() = [] { return std::array<plat::Window, 2>{}; };
  // The running program's instance number, 0..9, and the folder it started in, ending
  // in "/": together they name the text windows' log files.
  int (*instanceNumber)() = [] { return 0; };
  std::string (*startDirectory)() = [] { return std::string(); };
  // The two boxes as they are now, for the window information.
  BoxesLayout (*boxesLayout)() = [] { return BoxesLayout{}; };
  // The pump that printing and line input turn while they work.
  void (*pump)() = PumpUserMessages;
};

// The services in force; every field holds a callable function.
const LibraryServices& libraryServices();
// Replaces the services; a field left null keeps its default.
void installLibraryServices(const LibraryServices& services);
