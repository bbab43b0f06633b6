// Child controls, the record side: creation, placement, identifiers, tab order.
#include "platform/controls.h"

#include "platform/qt/display.h"
#include "platform/window_table.h"

namespace plat {

Window createControl(const ControlParams& p) {
  qt::blockIfAbandoned();
  auto parent = findRecord(p.parent);
  if (!parent || parent->isControl) return {};
  auto r = newRecord();
  r->owner = parent->owner;
  r->isControl = true;
  r->controlKind = p.kind;
  r->parent = p.parent;
  r->controlId = p.id;
  r->tabStop = p.tabStop;
  r->className = p.kind == ControlKind::Static ? "STATIC"
                 : p.kind == ControlKind::Edit ? "EDIT"
                                               : "BUTTON";
  {
    std::lock_guard lock(r->m);
    r->outer = p.rect;
    r->title = p.text;
    r->visible = true;
  }
  {
    std::lock_guard lock(parent->m);
    parent->children.push_back(r->handle);
  }
  qt::runOnDisplay([&] { qt::createControlWidget(r, p.text, p.sunken); });
  return r->handle;
}

bool moveControl(Window control, const Rect& rect) {
  auto r = findRecord(control);
  if (!r || !r->isControl) return false;
  {
    std::lock_guard lock(r->m);
    r->outer = rect;
  }
  qt::runOnDisplay([&] { qt::syncGeometry(r); });
  return true;
}

int controlId(Window control) {
  auto r = findRecord(control);
  return r && r->isControl ? r->controlId : 0;
}

Window controlParent(Window control) {
  auto r = findRecord(control);
  return r && r->isControl ? r->parent : Window{};
}

Window controlById(Window parent, int id) {
  for (Window c : childControls(parent))
    if (controlId(c) == id) return c;
  return {};
}

bool isTabStop(Window control) {
  auto r = findRecord(control);
  return r && r->isControl && r->tabStop;
}

std::vector<Window> childControls(Window parent) {
  auto r = findRecord(parent);
  if (!r) return {};
  std::lock_guard lock(r->m);
  return r->children;
}

}  // namespace plat
