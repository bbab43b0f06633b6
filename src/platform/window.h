// Top-level windows: classes, creation, geometry, titles, default behaviour.
#pragma once

#include <cstdint>
#include <string>

#include "platform/message.h"
#include "platform/types.h"

namespace plat {

using WindowProc = intptr_t (*)(Window, Message&);

struct WindowClass {
  std::string name;
  WindowProc proc = nullptr;
  bool doubleClicks = false;       // CS_DBLCLKS: second press within the interval is a DblClk
  uint32_t background = 0x000000;  // 0xRRGGBB the client surface starts with
};
// False if the name is taken or empty.
bool registerClass(const WindowClass& c);
bool unregisterClass(const std::string& name);
bool classExists(const std::string& name);

enum WindowStyle : uint32_t {
  kStyleVisible = 1u << 0,
  kStyleCaption = 1u << 1,     // caption bar with the title
  kStyleSysMenu = 1u << 2,     // close box
  kStyleThickFrame = 1u << 3,  // sizing border (drawn frame is always present)
  kStyleMenuBar = 1u << 4,     // one row for a menu bar under the caption
  kStyleOverlapped = kStyleVisible | kStyleCaption | kStyleSysMenu | kStyleThickFrame,
};

// Outer rectangle for a client rectangle of a window with this style.
Rect adjustWindowRect(const Rect& client, uint32_t style);

struct CreateParams {
  std::string className;
  std::string title;  // UTF-8
  uint32_t style = kStyleOverlapped;
  int x = kDefaultPosition;  // outer top-left, screen coordinates, or the platform's choice
  int y = kDefaultPosition;
  int width = 100;  // outer size
  int height = 100;
  Window owner;
  std::vector<std::string> menuBar;  // labels of the menu bar row ("&" marks mnemonics)
  std::vector<int> menuBarIds;       // their command identifiers
  intptr_t createParam = 0;          // handed to Create as Message::param
};
// Creates the window on the calling thread, which owns it from then on; the window
// procedure gets Create before this returns. An invalid handle on failure.
[[nodiscard]] Window createWindow(const CreateParams& p);
bool destroyWindow(Window w);
bool isWindow(Window w);
std::string windowClassName(Window w);
Window windowOwner(Window w);

// Moves and/or resizes (outer rectangle, screen coordinates); sends Move and Size.
enum SetPosFlags : uint32_t { kNoMove = 1, kNoSize = 2, kNoZOrder = 4, kShowWindow = 8 };
bool setWindowPos(Window w, int x, int y, int width, int height, uint32_t flags);
Rect getWindowRect(Window w);  // outer, screen coordinates
Rect getClientRect(Window w);  // (0, 0, width, height)
Point clientToScreen(Window w, Point p);

bool setWindowText(Window w, const std::string& utf8);
std::string getWindowText(Window w);
bool setForegroundWindow(Window w);
Window foregroundWindow();
bool showWindow(Window w, bool show);
void dragAcceptFiles(Window w, bool accept);
// The top-level window whose outer rectangle holds the screen point, topmost first.
Window windowFromPoint(Point screen);

// Default behaviour: caption drag (Moving, then Move), border drag (Sizing with the
// edge, then Size), close box (Close), Close destroys.
intptr_t defWindowProc(Window w, Message& m);

}  // namespace plat
