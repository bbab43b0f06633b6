// Child controls of a window's client area: static text, edit fields, push buttons.
#pragma once

#include <string>

#include "platform/types.h"

namespace plat {

enum class ControlKind { Static, Edit, Button };

struct ControlParams {
  ControlKind kind = ControlKind::Static;
  Window parent;
  int id = 0;
  std::string text;     // UTF-8; buttons: "\n" makes multi-line labels
  Rect rect;            // client coordinates of the parent
  bool sunken = false;  // edit: sunken client edge
  bool tabStop = false;
};
// Controls belong to the parent's thread. Button click: Command(id, 0) to the parent.
// Edit focus: Command(id, kEditSetFocus / kEditKillFocus). Tab, Shift+Tab, Enter and Esc
// in an edit field arrive as KeyDown messages for the field.
Window createControl(const ControlParams& p);
bool moveControl(Window control, const Rect& rect);
bool setControlText(Window control, const std::string& utf8);
std::string getControlText(Window control);
int controlId(Window control);
Window controlParent(Window control);
Window controlById(Window parent, int id);
bool isTabStop(Window control);
// Controls of a parent in creation order.
std::vector<Window> childControls(Window parent);
void selectAllText(Window edit);
bool setFocus(Window w);  // a control or a top-level window
Window focusWindow();     // the control or window with the keyboard focus, if ours

}  // namespace plat
