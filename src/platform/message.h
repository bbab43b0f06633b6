// Per-thread message queues: posting, sending, peeking, pumping, painting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

enum class Msg : uint16_t {
  None,
  Create,
  Destroy,
  Paint,
  Move,
  Moving,
  Size,
  Sizing,
  Close,
  Activate,
  KeyDown,
  KeyUp,
  Char,
  MouseMove,
  LButtonDown,
  LButtonUp,
  LButtonDblClk,
  RButtonDown,
  RButtonUp,
  MButtonDown,
  MouseWheel,
  NcLButtonDown,  // a press on the frame or caption, with `hit`
  NcRButtonDown,
  NcMouseMove,  // pointer moves while a frame press is held (screen coordinates)
  NcLButtonUp,
  Command,
  DropFiles,
  SetFocus,
  KillFocus,
  Timer,
  Quit,
  User = 0x400,  // program-defined kinds start here
};

struct Message {
  Window window;
  Msg kind = Msg::None;
  // keyboard
  int key = 0;          // virtual-key code
  bool ctrl = false;    // Ctrl held when the event happened
  bool shift = false;   // Shift held when the event happened
  char16_t unit = 0;    // Char: one UTF-16 code unit
  std::u16string text;  // KeyDown: the characters the key produces (for translateMessage)
  // mouse, in client coordinates (NcMouseMove/NcLButtonUp: screen coordinates)
  int x = 0;
  int y = 0;
  int wheelDelta = 0;  // signed, 120 per notch
  Hit hit = Hit::Nowhere;
  // commands
  int commandId = 0;
  int notifyCode = 0;
  Window control;
  // Moving / Sizing: proposed rectangle (screen), changeable by the window procedure
  Rect rect;
  int edge = 0;  // Sizing: which edge (a Hit value as int)
  // Size: new client size; Activate: 1 active, 0 inactive
  int width = 0;
  int height = 0;
  int active = 0;
  // DropFiles
  std::vector<std::string> files;
  // Quit: exit code; User kinds: free payload
  intptr_t param = 0;
};

// The packed 32-bit form of a mouse position, as the original delivered it:
// x in the low 16 bits and y in the high 16 bits, each unsigned.
inline uint32_t packPoint(int x, int y) {
  return (static_cast<uint32_t>(static_cast<uint16_t>(x))) |
         (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}

void postMessage(const Message& m);
// Same thread: a direct call of the window procedure. Other thread: queued ahead of
// posted messages; the sender blocks and meanwhile serves messages sent to itself.
intptr_t sendMessage(Message& m);
// A command posted to the window (a button, a menu item).
void postCommand(Window w, int id, int notifyCode = 0, Window control = {});
void postQuitMessage(int exitCode);

enum class Peek { Keep, Remove };
bool peekMessage(Message& out, Peek mode);
// Blocks until a message arrives; false on Quit.
bool getMessage(Message& out);
// Like getMessage, but gives up after timeoutMs (false, out untouched).
bool waitMessage(Message& out, int timeoutMs);
// Blocks until the calling thread has a message to handle (posted, sent, a paint due or
// a quit) or timeoutMs passed; takes nothing. True when there is one. The library's
// waits use it between passes, so that an idle program uses no processor.
bool waitForMessage(int timeoutMs);
// Key-down with characters: posts Char messages for them.
void translateMessage(const Message& m);
intptr_t dispatchMessage(Message& m);

// Painting: invalidate accumulates a client rectangle; a Paint message is made when
// the owner's queue is otherwise empty; beginPaint returns the invalid rectangle and
// validates it.
void invalidate(Window w, const Rect* r = nullptr);
void invalidateAll(Window w);
Rect beginPaint(Window w);
void validate(Window w);

// Dialog keys: Tab/Shift+Tab move the focus among tab-stop controls of box, Enter
// sends Command 1 and Esc Command 2 to the box; other messages for the box or its
// controls are translated and dispatched. False for messages of other windows.
bool isDialogMessage(Window box, Message& m);

// Key state for the message being handled on this thread.
bool isKeyDown(int virtualKey);
Point cursorPos();

}  // namespace plat
