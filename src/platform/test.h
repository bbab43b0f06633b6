// Test seams: injected input, scripted dialogs, and views of what the display shows.
// Compiled in always; only tests call them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/font.h"
#include "platform/menu.h"
#include "platform/surface.h"
#include "platform/types.h"

namespace plat::test {

// Runs a GoogleTest-style main: Qt offscreen with a 1280 x 1024 screen (unless
// QT_QPA_PLATFORM is set), `body` on the program thread.
int runHeadless(int argc, char** argv, std::function<int()> body);

// Waits until every input, request and update posted to the display so far has been
// handled, and everything the display posted to client queues has been queued.
void sync();

enum class Button { Left, Right, Middle };
// Presses and releases (or double-clicks) at a client point of a window or control:
// the events go through Qt, so the real widget paths run.
void click(Window w, Point client, Button b = Button::Left, bool ctrl = false);
void doubleClick(Window w, Point client);
void mouseMove(Window w, Point client, bool leftHeld = false);
// Presses and releases at a point given relative to the window's outer top-left
// corner (the caption, the frame), optionally dragging to an outer point.
void pressOuter(Window w, Point outer, Button b = Button::Left);
void dragOuter(Window w, Point from, Point to);
void wheel(Window w, Point client, int delta, bool ctrl = false);
// Sends a key press and release to the window or control with the focus inside w.
void key(Window w, int virtualKey, bool ctrl = false, bool shift = false);
void typeText(Window w, const std::u16string& text);
void dropFiles(Window w, const std::vector<std::string>& paths);

// The next dialog or popup menu is answered at once instead of being shown.
// A save dialog that asks whether to replace a file is answered `replace` (No goes back
// to the dialog, and the answer then stands for a cancel); the question is recorded as
// a message box with kMbYesNo.
void answerNextFileDialog(const std::string& path, int filterIndex = -1,
                          bool replace = false);  // "" cancels
void answerNextMenu(int chosenId);                // 0: nothing chosen
// Colour and font choosers: nullopt cancels. A colour answer may also leave the custom
// colours changed, as a user can while the chooser is open.
void answerNextColorDialog(std::optional<uint32_t> color,
                           std::optional<std::array<uint32_t, 16>> custom = std::nullopt);
void answerNextFontDialog(std::optional<FontDescription> font);
// What the last chooser was opened with.
struct ShownColorDialog {
  uint32_t color;
  std::array<uint32_t, 16> custom;
};
std::optional<ShownColorDialog> lastColorDialog();
std::optional<FontDescription> lastFontDialog();
// The last popup menu shown (a copy: the program may show another meanwhile), and
// the message boxes shown.
std::optional<Menu> lastMenu();
struct ShownMessageBox {
  std::string text, title;
  unsigned flags;
};
std::vector<ShownMessageBox> messageBoxes();
void clearMessageBoxes();
// Message boxes close at once while this is on (default on in runHeadless).
void setAutoCloseMessageBoxes(bool on);

// The window's client surface as the display presents it (a copy).
std::unique_ptr<Surface> clientPixels(Window w);
std::string title(Window w);
// What a screen shows: black, with every shown top-level window painted over it as it
// paints now, in stacking order (bottom first). Null when there is no such screen.
std::unique_ptr<Surface> screenPixels(int screen);
// True while the pointer is hidden over the window's client area.
bool pointerHidden(Window w);

// Moves and sizes a shown top-level window as someone else would, through the window
// system: the platform hears of it only from the window system's notification, which
// has been delivered when this returns.
void moveFromOutside(Window w, Rect outer);

// Pins the screen size reported by the system metrics (default: the screen's own).
void pinScreenSize(int width, int height);

// Clears what the seams hold: queued dialog and menu answers, the last menu, the message
// boxes shown, the pinned screen size. Auto-closing message boxes stays as it was set.
void reset();

}  // namespace plat::test
