// The input box (one window of labelled edit fields, the settings panel) and the
// button box (one window holding a grid of push buttons, the command panel).
//
// Both live on the thread that opened them and run their events while that thread
// pumps; the pump offers every message to plat::isDialogMessage of the input box,
// then of the button box (inputBoxWindow(), buttonBoxWindow()), before dispatching.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "base/services.h"
#include "platform/types.h"

// ------------------------------------------------------------------ input box

inline constexpr int kInputBoxMaxItems = 30;
inline constexpr int kInputTextBytes = 256;  // with the NUL

// The box's items, sizes and windows: BoxesState below.

// Opens the box with its outer top-left corner at (x, y); items is clamped into
// 1..30. Nothing happens while a box exists.
void TAV_OpenInputBox(int x, int y, int items);
// Relabels item i; nothing when there is no box or no such item.
void TAV_SetInputBoxTitle(int i, const char* text);
// Stores text (at most 255 bytes, cut at a character boundary) as item i's committed
// text and shows it in the field.
void TAV_SetInputBoxText(int i, const char* text);
// Item i's committed text, or null when there is no box or no such item.
const char* TAV_GetInputBoxText(int i);
// Sets ISIZE and ESIZE (each at least 1); an open box takes the new widths at once.
void TAV_ResizeInputBox(int labelWidth, int editWidth);
void DestroyInputBox();

namespace inputbox {
// Asks for a new label of item i in the current text window; an empty answer keeps it.
void RenameByPrompt(int i);
}  // namespace inputbox

// ------------------------------------------------------------------ button box

inline constexpr int kButtonBoxMaxButtons = 256;

// What the application reads of both boxes (boxes::resetBoxes returns it to these
// start values, with the boxes' windows and controls kept beside their code).
struct BoxesState {
  // The input box's committed text of each item, UTF-8 and NUL-terminated; allocated
  // when the box opens and freed when it is destroyed (null meanwhile). Only commits (an
  // edit field losing the focus, Enter) and TAV_SetInputBoxText change it: typing alone
  // does not.
  std::array<std::unique_ptr<char[]>, kInputBoxMaxItems> InputBoxItemText;
  // The input box's label and edit field widths in pixels; they survive the box.
  int ISIZE = 80;
  int ESIZE = 70;
  // Presses of each button not yet taken by the application. Digit keys count for
  // buttons 0 to 9 whether or not those buttons exist.
  std::array<int, kButtonBoxMaxButtons> ButtonPressCount{};
  // Columns and rows of the open (or last) button box.
  int NX = 0;
  int NY = 0;
};
extern BoxesState boxesState;
// The fields under the names the library uses.
inline constexpr auto& InputBoxItemText = boxesState.InputBoxItemText;
inline constexpr auto& ISIZE = boxesState.ISIZE;
inline constexpr auto& ESIZE = boxesState.ESIZE;
inline constexpr auto& ButtonPressCount = boxesState.ButtonPressCount;
inline constexpr auto& NX = boxesState.NX;
inline constexpr auto& NY = boxesState.NY;

// Opens an nx x ny grid with its outer top-left corner at (x, y). Silently ignored
// while a box exists, when nx or ny is not positive, or for more than 256 buttons.
void TAV_OpenButtonBox(int x, int y, int nx, int ny);
// Relabels button i; a line feed in text starts a new line of the label.
void TAV_SetButtonBoxTitle(int i, const char* text);
// Gives the open box this client size; the buttons stretch to fill it.
void TAV_ResizeButtonBox(int width, int height);
void DestroyButtonBox();
// The application's read of button i: true when it was pressed at least once since
// the last take (several presses act once); the count is cleared in the same step.
// False while no box exists or i is not one of its buttons.
bool takeButtonPress(int i);

namespace buttonbox {
// Asks for a new label of button i in the current text window; an empty answer keeps it.
void RenameByPrompt(int i);
}  // namespace buttonbox

// ------------------------------------------------------------------ accessors

namespace boxes {

// Registers "tav_ib" and "tav_bb" unless they exist; true when both exist afterwards.
// Opening a box registers them itself when needed.
bool registerBoxClasses();

// The box windows, invalid handles while a box does not exist.
plat::Window inputBoxWindow();
plat::Window buttonBoxWindow();

// Item count of the input box and button count of the button box; 0 without a box.
int inputBoxItemCount();
int buttonBoxButtonCount();
// Current label texts (UTF-8); empty for a missing box or item.
std::string inputBoxLabel(int i);
std::string buttonLabel(int i);
// Current size of every button (98 x 26 at start); it survives the box.
int buttonWidth();
int buttonHeight();

// Both boxes as they are now: positions, sizes, counts and labels.
BoxesLayout layout();

// The two boxes, input box first: the order in which the pump offers them messages.
std::array<plat::Window, 2> dialogBoxes();

// Destroys the input box and returns its sizes and records to their start values.
void resetInputBox();
// Destroys both boxes and returns all state of this layer to its start values.
void resetBoxes();

}  // namespace boxes
