// The keys of an image window: with Ctrl some post the editor's commands to the window
// itself, the zoom keys step the zoom, Tab toggles the scaling mode, F11 the full-screen
// presentation, and the program's own keys go on to the main window.
#include "base/ids.h"
#include "base/services.h"
#include "imagewin/imagewin.h"
#include "imagewin/presentation.h"
#include "platform/message.h"

namespace imagewin {

namespace {

enum class KeyAction {
  None,
  PostCommand,
  ToMainWindow,
  ZoomReset,
  ZoomIn,
  ZoomOut,
  ToggleScaling,
  TogglePresentation,
};

struct KeyRow {
  int key;
  KeyAction withCtrl;
  int command;  // the command that PostCommand posts
  KeyAction withoutCtrl;
};

// A key whose Ctrl column has no action of its own acts as without Ctrl: Ctrl+S and
// Ctrl+Esc go to the main window, Ctrl+Tab toggles the scaling mode.
constexpr KeyRow kKeys[] = {
    {'X', KeyAction::PostCommand, ids::image::kCut, KeyAction::ToMainWindow},
    {'C', KeyAction::PostCommand, ids::image::kCopy, KeyAction::ToMainWindow},
    {'V', KeyAction::PostCommand, ids::image::kPasteAtOrigin, KeyAction::None},
    {'Q', KeyAction::PostCommand, ids::image::kDestroy, KeyAction::None},
    {'R', KeyAction::PostCommand, ids::image::kClipping, KeyAction::None},
    {plat::vk::Numpad0, KeyAction::ZoomReset, 0, KeyAction::None},
    {plat::vk::Add, KeyAction::ZoomIn, 0, KeyAction::None},
    {plat::vk::Subtract, KeyAction::ZoomOut, 0, KeyAction::None},
    {plat::vk::Escape, KeyAction::ToMainWindow, 0, KeyAction::ToMainWindow},
    {'S', KeyAction::ToMainWindow, 0, KeyAction::ToMainWindow},
    {plat::vk::Tab, KeyAction::ToggleScaling, 0, KeyAction::ToggleScaling},
    {kPresentKey, KeyAction::TogglePresentation, 0, KeyAction::TogglePresentation},
};

// The main window reacts to the key as to its own: the same key-down, nothing more
// (no Ctrl travels with it).
void toMainWindow(int key) {
  plat::Message m;
  m.window = libraryServices().mainWindow();
  m.kind = plat::Msg::KeyDown;
  m.key = key;
  if (m.window) plat::postMessage(m);
}

}  // namespace

bool imageKeyDown(plat::Window window, int number, int key) {
  const bool ctrl = plat::isKeyDown(plat::vk::Control);
  for (const KeyRow& row : kKeys) {
    if (row.key != key) continue;
    const int zoom = ImageTable[number].zoom;
    switch (ctrl ? row.withCtrl : row.withoutCtrl) {
      case KeyAction::None:
        return false;
      case KeyAction::PostCommand:
        plat::postCommand(window, row.command);
        return true;
      case KeyAction::ToMainWindow:
        toMainWindow(key);
        return true;
      case KeyAction::ZoomReset:
        TAV_SetImageZoom(100, number);
        return true;
      case KeyAction::ZoomIn:
        TAV_SetImageZoom(zoomIn(zoom), number);
        return true;
      case KeyAction::ZoomOut:
        TAV_SetImageZoom(zoomOut(zoom), number);
        return true;
      case KeyAction::ToggleScaling:
        toggleStretchMode(number);
        return true;
      case KeyAction::TogglePresentation:
        togglePresentation(number);
        return true;
    }
  }
  return false;
}

}  // namespace imagewin
