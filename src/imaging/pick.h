// Interactive point picking: a menu command asks the user for one or two points of an
// image window. The tool runs its own message loop on the thread that owns the image
// windows, prompts in the main window's status line, shows XOR rubber-band feedback in
// the picture and returns the points in picture coordinates.
#pragma once

#include "imaging/imaging.h"  // PickState, the running tool's inbox
#include "platform/message.h"

// Results of every tool.
inline constexpr int kPickDone = 0;       // the points were taken, or a stop request came
inline constexpr int kPickCancelled = 1;  // the right or middle button before any point
inline constexpr int kPickBadWindow = 2;  // above 255 or not open: nothing happened

// Each tool that starts sets its outputs to 0 first; a stop request leaves those not
// taken at 0.
// The two corners of a box, ordered: left <= right, top <= bottom.
int TAV_PickRect(int number, int& left, int& top, int& right, int& bottom);
// The ends of a line, in click order.
int TAV_PickLine(int number, int& x1, int& y1, int& x2, int& y2);
// A centre, and the radius through the second click.
int TAV_PickCircle(int number, int& cx, int& cy, int& radius);
// One point, without feedback.
int TAV_PickPoint(int number, int& x, int& y);
// One point, shown as a line across the picture at the pointer's row.
int TAV_PickRow(int number, int& x, int& y);
// One point, shown as a line down the picture at the pointer's column.
int TAV_PickColumn(int number, int& x, int& y);
// One point, shown as a boxWidth x boxHeight box centred on the pointer (with its
// diagonals when both are at least 9).
int TAV_PickPlace(int number, int boxWidth, int boxHeight, int& x, int& y);
// Ends any tool: the status line shows the display's colour depth, PickState is idle and
// the main window may take dropped files again.
void TAV_EndPick();

namespace imaging {

// Whether a tool runs (the image windows then refuse keys and menus).
bool pickInProgress();
// A mouse event of image window `number` at a client point: MouseMove sets the hover
// point, LButtonDown the click, RButtonDown and MButtonDown the cancel flag. Client
// coordinates (their unsigned 16-bit halves) become picture coordinates by the window's
// zoom. Ignored unless a tool runs in that very window.
void feedPick(int number, plat::Msg kind, int clientX, int clientY);
// Returns PickState to its start values.
void resetPickState();

}  // namespace imaging
