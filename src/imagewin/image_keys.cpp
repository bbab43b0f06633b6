// The keys of an image window: with Ctrl some post the editor's commands to the window
// itself, the zoom keys step the zoom, Tab toggles the scaling mode, F11 the full-screen
// presentation, and the program's own keys go on to the main window.
#include "base/action.h"
#include "base/ids.h"
#include "base/services.h"
#include "imagewin/imagewin.h"
#include "imagewin/presentation.h"
#include "platform/message.h"

namespace imagewin {

namespace {

// The main window reacts to the key as to its own: the same key-down, nothing more
// (no Ctrl travels with it).
void toMainWindow(plat::Window, int, int key) {
  plat::Message m;
  m.window = libraryServices().mainWindow();
  m.kind = plat::Msg::KeyDown;
  m.key = key;
  if (m.window) plat::postMessage(m);
}

using action::anyCtrlKey;
using action::ctrlKey;
using action::plainKey;
namespace id = ids::image;

// A row without a function posts its identifier to the window as a command, as the
// menu entry of that identifier does; a key that no row names is not the window's.
constexpr ImageKey kKeys[] = {
    {id::kCut, nullptr, ctrlKey('X')},
    {id::kCopy, nullptr, ctrlKey('C')},
    // The Paste menu entry pastes at a picked place, Ctrl+V at the origin.
    {id::kPasteAtOrigin, nullptr, ctrlKey('V')},
    {id::kDestroy, nullptr, ctrlKey('Q')},
    {id::kClipping, nullptr, ctrlKey('R')},
    // What the Zoom:100% entry does, at once.
    {id::kZoom100, nullptr, ctrlKey(plat::vk::Numpad0),
     [](plat::Window, int number, int) { TAV_SetImageZoom(100, number); }},
    {0, nullptr, ctrlKey(plat::vk::Add),
     [](plat::Window, int number, int) {
       TAV_SetImageZoom(zoomIn(ImageTable[number].zoom), number);
     }},
    {0, nullptr, ctrlKey(plat::vk::Subtract),
     [](plat::Window, int number, int) {
       TAV_SetImageZoom(zoomOut(ImageTable[number].zoom), number);
     }},
    {0, nullptr, plainKey('X'), toMainWindow},
    {0, nullptr, plainKey('C'), toMainWindow},
    {0, nullptr, anyCtrlKey(plat::vk::Escape), toMainWindow},
    {0, nullptr, anyCtrlKey('S'), toMainWindow},
    {0, nullptr, anyCtrlKey(plat::vk::Tab),
     [](plat::Window, int number, int) { toggleStretchMode(number); }},
    {0, nullptr, anyCtrlKey(kPresentKey),
     [](plat::Window, int number, int) { togglePresentation(number); }},
};

}  // namespace

std::span<const ImageKey> imageKeys() {
  return kKeys;
}

bool imageKeyDown(plat::Window window, int number, int key) {
  const ImageKey* row = action::findByKey(imageKeys(), key, plat::isKeyDown(plat::vk::Control));
  if (!row) return false;
  if (row->run)
    row->run(window, number, key);
  else
    plat::postCommand(window, row->id);
  return true;
}

}  // namespace imagewin
