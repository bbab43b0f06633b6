// The input box: one window of up to 30 rows, each a label and a one-line edit field.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/action.h"
#include "base/ids.h"
#include "base/services.h"
#include "boxes/box_common.h"
#include "boxes/boxes.h"
#include "platform/controls.h"
#include "platform/message.h"
#include "platform/top_level.h"
#include "platform/window.h"

namespace {

constexpr int kRowPitch = 28;
constexpr int kMargin = 4;
constexpr int kFieldHeight = 24;
constexpr int kLabelDrop = 3;  // labels sit a little lower than their fields
constexpr int kLabelId = -1;
constexpr uint32_t kStyle = plat::kStyleOverlapped;
// Written first when a label changes, so the old text is wiped before the new one.
constexpr const char* kBlankLabel = "                    ";

struct InputBoxState {
  plat::Window box;
  int itemCount = 0;
  std::array<plat::Window, kInputBoxMaxItems> labels{};
  std::array<plat::Window, kInputBoxMaxItems> edits{};
  plat::Window focusedEdit;
  int sizingEdge = 0;  // a plat::Hit value; survives the box
  int renameItem = 0;
};
InputBoxState state;

bool hasItem(int i) {
  return state.box && i >= 0 && i < state.itemCount;
}

int clientWidth() {
  return ISIZE + ESIZE + 12;
}
int clientHeight(int items) {
  return items * kRowPitch + 2;
}
int rowTop(int i) {
  return kMargin + kRowPitch * i;
}

plat::Rect labelRect(int i) {
  const int top = rowTop(i) + kLabelDrop;
  return {kMargin, top, kMargin + ISIZE, top + kFieldHeight};
}
plat::Rect editRect(int i) {
  const int left = ISIZE + 8;
  return {left, rowTop(i), left + ESIZE, rowTop(i) + kFieldHeight};
}

void setLabel(int i, const char* text) {
  plat::setControlText(state.labels[i], kBlankLabel);
  plat::setControlText(state.labels[i], text ? text : "");
}

// Copies text into item i's buffer, cut to fit with its NUL.
void storeText(int i, const std::string& text) {
  const std::string cut = boxes::cutLabel(text, kInputTextBytes - 1);
  std::memcpy(InputBoxItemText[i].get(), cut.c_str(), cut.size() + 1);
}

// The field's text becomes the item's committed text.
void commit(plat::Window edit) {
  if (!edit) return;
  for (int i = 0; i < state.itemCount; ++i) {
    if (state.edits[i] == edit) {
      storeText(i, plat::getControlText(edit));
      return;
    }
  }
}

void layOut() {
  for (int i = 0; i < state.itemCount; ++i) {
    plat::moveControl(state.labels[i], labelRect(i));
    plat::moveControl(state.edits[i], editRect(i));
  }
}

bool isLeftEdge(int edge) {
  const auto hit = static_cast<plat::Hit>(edge);
  return hit == plat::Hit::Left || hit == plat::Hit::TopLeft || hit == plat::Hit::BottomLeft;
}

void onSize(int width) {
  // The border being dragged decides which of the two widths takes the change.
  if (isLeftEdge(state.sizingEdge))
    ISIZE = std::max(1, width - ESIZE - 12);
  else
    ESIZE = std::max(1, width - ISIZE - 12);
  layOut();
}

void onActivate(const plat::Message& m) {
  // Giving a control the focus makes its window the active one on this platform, so
  // doing it while the box is losing the activation would take it straight back.
  if (!m.active) return;
  // A click that activated the box has already put the focus into the field it hit;
  // the activation arrives after it here and must not take it back.
  const plat::Window focused = plat::focusWindow();
  if (focused && std::find(state.edits.begin(), state.edits.begin() + state.itemCount, focused) !=
                     state.edits.begin() + state.itemCount) {
    state.focusedEdit = focused;
    return;
  }
  if (!plat::isWindow(state.focusedEdit)) state.focusedEdit = state.edits[0];
  plat::setFocus(state.focusedEdit);
  plat::selectAllText(state.edits[0]);
}

void onCommand(const plat::Message& m) {
  if (m.control) {
    if (m.notifyCode == plat::kEditSetFocus) {
      if (std::find(state.edits.begin(), state.edits.begin() + state.itemCount, m.control) !=
          state.edits.begin() + state.itemCount)
        state.focusedEdit = m.control;
    } else if (m.notifyCode == plat::kEditKillFocus) {
      commit(m.control);
    }
    return;
  }
  switch (m.commandId) {
    case ids::box::kEnter:
      commit(state.focusedEdit);
      break;
    default:
      if (const boxes::BoxAction* row = action::findById(boxes::inputBoxActions(), m.commandId))
        row->run();
      break;
  }
}

}  // namespace

namespace boxes {

std::span<const BoxAction> inputBoxActions() {
  static constexpr BoxAction kActions[] = {
      {ids::box::kInputBoxRename, "Rename", {}, [] { inputbox::RenameByPrompt(state.renameItem); }},
      {ids::box::kInputBoxDestroy, "Destroy", {}, DestroyInputBox},
  };
  return kActions;
}

intptr_t inputBoxProc(plat::Window w, plat::Message& m) {
  using plat::Msg;
  // Messages that arrive after the box is gone (or for an older box) change nothing.
  if (w != state.box) return plat::defWindowProc(w, m);
  switch (m.kind) {
    case Msg::Move:
      libraryServices().refreshWindowEdges();
      return 0;
    case Msg::Moving:
      libraryServices().snapMovingWindow(m.rect, w);
      return 0;
    case Msg::Sizing: {
      const plat::Rect now = plat::getWindowRect(w);
      m.rect.top = now.top;
      m.rect.bottom = now.bottom;
      state.sizingEdge = m.edge;
      return 0;
    }
    case Msg::Size:
      onSize(m.width);
      return 0;
    case Msg::Activate:
      onActivate(m);
      return 0;
    case Msg::Command:
      onCommand(m);
      return 0;
    case Msg::Close:
      DestroyInputBox();
      return 0;
    case Msg::RButtonDown:
      state.renameItem = m.y / kRowPitch;
      popupOneItem(w, inputBoxActions()[kClientEntry]);
      return 0;
    case Msg::NcRButtonDown:
      popupOneItem(w, inputBoxActions()[kFrameEntry]);
      return 0;
    case Msg::LButtonDblClk:
      inputbox::RenameByPrompt(m.y / kRowPitch);
      return 0;
    case Msg::Destroy:
      return 0;
    default:
      return plat::defWindowProc(w, m);
  }
}

}  // namespace boxes

void TAV_OpenInputBox(int x, int y, int items) {
  if (state.box) return;
  items = std::clamp(items, 1, kInputBoxMaxItems);
  if (!boxes::registerBoxClasses()) return;

  // The buffers come first: without them there is no box.
  std::array<std::unique_ptr<char[]>, kInputBoxMaxItems> texts;
  for (int i = 0; i < items; ++i) {
    texts[i].reset(new (std::nothrow) char[kInputTextBytes]);
    if (!texts[i]) return;
    std::strcpy(texts[i].get(), "0");
  }

  plat::CreateParams p;
  p.className = boxes::kInputBoxClass;
  p.title = "InputBox";
  p.style = kStyle;
  p.x = x;
  p.y = y;
  p.owner = libraryServices().mainWindow();
  const plat::Window box = plat::createTopLevelWindow(p, clientWidth(), clientHeight(items));
  if (!box) return;

  state.box = box;
  state.itemCount = items;
  state.focusedEdit = {};
  state.renameItem = 0;
  for (int i = 0; i < items; ++i) {
    char label[24];
    std::snprintf(label, sizeof label, "Item %d", i);
    state.labels[i] =
        plat::createControl({plat::ControlKind::Static, box, kLabelId, label, labelRect(i)});
    InputBoxItemText[i] = std::move(texts[i]);
    state.edits[i] = plat::createControl({.kind = plat::ControlKind::Edit,
                                          .parent = box,
                                          .id = ids::box::kEditBase + i,
                                          .text = InputBoxItemText[i].get(),
                                          .rect = editRect(i),
                                          .sunken = true,
                                          .tabStop = true});
  }
  plat::invalidateAll(box);
  plat::setForegroundWindow(box);
  plat::setFocus(state.edits[0]);
}

void TAV_SetInputBoxTitle(int i, const char* text) {
  if (hasItem(i)) setLabel(i, text);
}

void TAV_SetInputBoxText(int i, const char* text) {
  if (!hasItem(i)) return;
  storeText(i, text ? text : "");
  plat::setControlText(state.edits[i], InputBoxItemText[i].get());
}

const char* TAV_GetInputBoxText(int i) {
  return hasItem(i) ? InputBoxItemText[i].get() : nullptr;
}

void TAV_ResizeInputBox(int labelWidth, int editWidth) {
  ISIZE = std::max(1, labelWidth);
  ESIZE = std::max(1, editWidth);
  if (!state.box) return;
  const plat::Rect outer =
      plat::adjustWindowRect({0, 0, clientWidth(), clientHeight(state.itemCount)}, kStyle);
  // A size change relays the controls out through the size event; an unchanged width
  // sends none, so lay them out here too.
  plat::setWindowPos(state.box, 0, 0, outer.width(), outer.height(),
                     plat::kNoMove | plat::kNoZOrder);
  layOut();
}

void DestroyInputBox() {
  if (!state.box) return;
  const plat::Window box = state.box;
  const int items = state.itemCount;
  // Cleared first: the destruction may deliver the fields' last notifications.
  state.box = {};
  state.itemCount = 0;
  state.focusedEdit = {};
  state.labels = {};
  state.edits = {};
  if (!plat::destroyWindow(box))
    boxes::reportDestroyFailure("DestroyWindow[IB] Error", "DIREVO Error!");
  for (int i = 0; i < items; ++i) InputBoxItemText[i].reset();
}

void inputbox::RenameByPrompt(int i) {
  const plat::Window box = state.box;
  const std::string old =
      hasItem(i) ? boxes::cutLabel(plat::getControlText(state.labels[i]), 255) : "";
  const std::string answer = boxes::promptForLabel(i, old);
  // The prompt pumps messages: the box may have gone, or been replaced, meanwhile.
  if (answer.empty() || state.box != box || !hasItem(i)) return;
  setLabel(i, answer.c_str());
}

namespace boxes {

plat::Window inputBoxWindow() {
  return state.box;
}
int inputBoxItemCount() {
  return state.box ? state.itemCount : 0;
}
std::string inputBoxLabel(int i) {
  return hasItem(i) ? plat::getControlText(state.labels[i]) : "";
}

void resetInputBox() {
  DestroyInputBox();
  state = InputBoxState{};
  ISIZE = 80;
  ESIZE = 70;
}

}  // namespace boxes
