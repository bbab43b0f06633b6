// The button box: one window holding a grid of NX x NY push buttons, numbered row by
// row. Presses are counted, not delivered; the application takes the counts.
#include <algorithm>
#include <string>

#include "base/action.h"
#include "base/ids.h"
#include "base/services.h"
#include "boxes/box_common.h"
#include "boxes/boxes.h"
#include "platform/controls.h"
#include "platform/message.h"
#include "platform/top_level.h"
#include "platform/window.h"

BoxesState boxesState;

namespace {

constexpr int kGap = 4;  // between the buttons and around them
constexpr uint32_t kStyle = plat::kStyleOverlapped;
constexpr size_t kLabelBytes = 511;

struct ButtonBoxState {
  plat::Window box;
  int buttonCount = 0;
  std::array<plat::Window, kButtonBoxMaxButtons> buttons{};
  int buttonWidth = 98;   // survives the box
  int buttonHeight = 26;  // survives the box
  int renameButton = 0;
};
ButtonBoxState state;

bool hasButton(int i) {
  return state.box && i >= 0 && i < state.buttonCount;
}

plat::Rect buttonRect(int i) {
  const int c = i % NX, r = i / NX;
  const int left = c * (state.buttonWidth + kGap) + kGap;
  const int top = r * (state.buttonHeight + kGap) + kGap;
  return {left, top, left + state.buttonWidth, top + state.buttonHeight};
}

// The button whose grid cell holds a client point; points beside or below the grid
// belong to the nearest column or row.
int buttonAt(int x, int y) {
  const int column = std::clamp(x / (state.buttonWidth + kGap), 0, NX - 1);
  const int row = std::clamp(y / (state.buttonHeight + kGap), 0, NY - 1);
  return row * NX + column;
}

void onSize(int width, int height) {
  // Integer divisions: a box narrower than one pixel per column gives width 0.
  state.buttonWidth = std::max(1, width - (kGap * NX + kGap)) / NX;
  state.buttonHeight = std::max(1, height - (kGap * NY + kGap)) / NY;
  for (int i = 0; i < state.buttonCount; ++i) plat::moveControl(state.buttons[i], buttonRect(i));
}

void forwardToMainWindow(plat::Message m) {
  m.window = libraryServices().mainWindow();
  if (m.window) plat::postMessage(m);
}

void onKeyDown(plat::Window w, const plat::Message& m) {
  if (m.ctrl) {
    // Destroy's Ctrl+Q closes the box as its close box does.
    if (action::findByKey(boxes::buttonBoxActions(), m.key, true)) {
      plat::Message close;
      close.window = w;
      close.kind = plat::Msg::Close;
      plat::postMessage(close);
    }
    return;
  }
  if (ids::isMainWindowKey(m.key)) {
    forwardToMainWindow(m);
  } else if (m.key >= '0' && m.key <= '9') {
    ++ButtonPressCount[m.key - '0'];
  } else if (m.key >= plat::vk::Numpad0 && m.key <= plat::vk::Numpad0 + 9) {
    ++ButtonPressCount[m.key - plat::vk::Numpad0];
  }
}

void onCommand(plat::Window w, const plat::Message& m) {
  if (m.notifyCode != 0) return;
  plat::setFocus(w);  // so the keys work right after a button was clicked
  const int i = m.commandId - ids::box::kButtonBase;
  if (i >= 0 && i < state.buttonCount) ++ButtonPressCount[i];
  if (const boxes::BoxAction* row = action::findById(boxes::buttonBoxActions(), m.commandId)) {
    row->run();
  } else if (m.commandId == ids::box::kEscape && !m.control) {
    // The pump's dialog keys take Esc before the box sees the key; it still belongs to
    // the main window, like X, S and C.
    plat::Message esc;
    esc.kind = plat::Msg::KeyDown;
    esc.key = plat::vk::Escape;
    esc.text = u"\x1b";
    forwardToMainWindow(esc);
  }
}

}  // namespace

namespace boxes {

std::span<const BoxAction> buttonBoxActions() {
  static constexpr BoxAction kActions[] = {
      {ids::box::kButtonBoxRename,
       "Rename",
       {},
       [] { buttonbox::RenameByPrompt(state.renameButton); }},
      {ids::box::kButtonBoxDestroy, "&Destroy", action::ctrlKey('Q'), DestroyButtonBox},
  };
  return kActions;
}

intptr_t buttonBoxProc(plat::Window w, plat::Message& m) {
  using plat::Msg;
  if (w != state.box) return plat::defWindowProc(w, m);
  switch (m.kind) {
    case Msg::Move:
      libraryServices().refreshWindowEdges();
      return 0;
    case Msg::Moving:
      libraryServices().snapMovingWindow(m.rect, w);
      return 0;
    case Msg::Size:
      onSize(m.width, m.height);
      return 0;
    case Msg::Command:
      onCommand(w, m);
      return 0;
    case Msg::KeyDown:
      onKeyDown(w, m);
      return 0;
    case Msg::Close:
      DestroyButtonBox();
      return 0;
    case Msg::RButtonDown:
      state.renameButton = buttonAt(m.x, m.y);
      popupOneItem(w, buttonBoxActions()[kClientEntry]);
      return 0;
    case Msg::NcRButtonDown:
      popupOneItem(w, buttonBoxActions()[kFrameEntry]);
      return 0;
    case Msg::LButtonDblClk:
      buttonbox::RenameByPrompt(buttonAt(m.x, m.y));
      return 0;
    case Msg::Destroy:
      return 0;
    default:
      return plat::defWindowProc(w, m);
  }
}

}  // namespace boxes

void TAV_OpenButtonBox(int x, int y, int nx, int ny) {
  // Each side is checked alone first, so the product cannot overflow.
  if (state.box || nx <= 0 || ny <= 0 || nx > kButtonBoxMaxButtons || ny > kButtonBoxMaxButtons ||
      nx * ny > kButtonBoxMaxButtons)
    return;
  if (!boxes::registerBoxClasses()) return;
  const int clientW = nx * (state.buttonWidth + kGap) + kGap;
  const int clientH = ny * (state.buttonHeight + kGap) + kGap;
  plat::CreateParams p;
  p.className = boxes::kButtonBoxClass;
  p.title = "ButtonBox";
  p.style = kStyle;
  p.x = x;
  p.y = y;
  p.owner = libraryServices().mainWindow();
  const plat::Window box = plat::createTopLevelWindow(p, clientW, clientH);
  if (!box) return;

  state.box = box;
  state.buttonCount = nx * ny;
  state.renameButton = 0;
  NX = nx;
  NY = ny;
  for (int i = 0; i < state.buttonCount; ++i) {
    state.buttons[i] =
        plat::createControl({plat::ControlKind::Button, box, ids::box::kButtonBase + i,
                             std::to_string(i), buttonRect(i)});
    ButtonPressCount[i] = 0;
  }
  plat::invalidateAll(box);
  plat::setForegroundWindow(box);
}

void TAV_SetButtonBoxTitle(int i, const char* text) {
  if (hasButton(i)) plat::setControlText(state.buttons[i], text ? text : "");
}

void TAV_ResizeButtonBox(int width, int height) {
  if (!state.box) return;
  const plat::Rect outer =
      plat::adjustWindowRect({0, 0, std::max(width, 0), std::max(height, 0)}, kStyle);
  plat::setWindowPos(state.box, 0, 0, outer.width(), outer.height(),
                     plat::kNoMove | plat::kNoZOrder);
}

void DestroyButtonBox() {
  if (!state.box) return;
  const plat::Window box = state.box;
  state.box = {};
  state.buttonCount = 0;
  state.buttons = {};
  if (!plat::destroyWindow(box))
    boxes::reportDestroyFailure("DestroyWindow[BB] error", "DIREVO error!");
}

bool takeButtonPress(int i) {
  if (!hasButton(i)) return false;
  const int presses = ButtonPressCount[i];
  ButtonPressCount[i] = 0;
  return presses != 0;
}

void buttonbox::RenameByPrompt(int i) {
  const plat::Window box = state.box;
  const std::string old =
      hasButton(i) ? boxes::cutLabel(plat::getControlText(state.buttons[i]), kLabelBytes) : "";
  const std::string answer = boxes::promptForLabel(i, old);
  if (answer.empty() || state.box != box || !hasButton(i)) return;
  plat::setControlText(state.buttons[i], answer);
}

namespace boxes {

plat::Window buttonBoxWindow() {
  return state.box;
}
int buttonBoxButtonCount() {
  return state.box ? state.buttonCount : 0;
}
std::string buttonLabel(int i) {
  return hasButton(i) ? plat::getControlText(state.buttons[i]) : "";
}
int buttonWidth() {
  return state.buttonWidth;
}
int buttonHeight() {
  return state.buttonHeight;
}

std::array<plat::Window, 2> dialogBoxes() {
  return {inputBoxWindow(), buttonBoxWindow()};
}

void resetBoxes() {
  resetInputBox();
  DestroyButtonBox();
  state = ButtonBoxState{};
  ButtonPressCount.fill(0);
  NX = 0;
  NY = 0;
}

}  // namespace boxes
