// The state of the test seams, in one place with one reset: scripted answers of dialogs
// and menus, what was shown, the pinned screen size.
#include <deque>
#include <mutex>

#include "platform/canvas.h"
#include "platform/test.h"
#include "platform/test_hooks.h"

namespace plat {

namespace {

struct SeamState {
  std::deque<int> menuAnswers;
  std::optional<Menu> shownMenu;
  std::deque<seams::FileAnswer> fileAnswers;
  std::deque<seams::ColorAnswer> colorAnswers;
  std::optional<test::ShownColorDialog> shownColor;
  std::deque<std::optional<FontDescription>> fontAnswers;
  std::optional<FontDescription> shownFont;
  std::vector<test::ShownMessageBox> shownBoxes;
  bool autoCloseBoxes = false;
  int pinnedWidth = 0;
  int pinnedHeight = 0;
};

std::mutex seamMutex;
SeamState state;  // guarded by seamMutex

}  // namespace

namespace seams {

bool takeMenuAnswer(const Menu& m, int* chosen) {
  std::lock_guard lock(seamMutex);
  state.shownMenu = m;
  if (state.menuAnswers.empty()) return false;
  *chosen = state.menuAnswers.front();
  state.menuAnswers.pop_front();
  return true;
}

std::optional<FileAnswer> takeFileAnswer() {
  std::lock_guard lock(seamMutex);
  if (state.fileAnswers.empty()) return std::nullopt;
  FileAnswer a = state.fileAnswers.front();
  state.fileAnswers.pop_front();
  return a;
}

std::optional<ColorAnswer> takeColorAnswer(uint32_t color, const std::array<uint32_t, 16>& custom) {
  std::lock_guard lock(seamMutex);
  state.shownColor = test::ShownColorDialog{color, custom};
  if (state.colorAnswers.empty()) return std::nullopt;
  ColorAnswer a = state.colorAnswers.front();
  state.colorAnswers.pop_front();
  return a;
}

std::optional<std::optional<FontDescription>> takeFontAnswer(const FontDescription& shown) {
  std::lock_guard lock(seamMutex);
  state.shownFont = shown;
  if (state.fontAnswers.empty()) return std::nullopt;
  std::optional<FontDescription> a = state.fontAnswers.front();
  state.fontAnswers.pop_front();
  return a;
}

bool noteMessageBox(const std::string& text, const std::string& title, unsigned flags) {
  std::lock_guard lock(seamMutex);
  state.shownBoxes.push_back({text, title, flags});
  return state.autoCloseBoxes;
}

bool pinnedScreenSize(int* width, int* height) {
  std::lock_guard lock(seamMutex);
  if (state.pinnedWidth <= 0) return false;
  *width = state.pinnedWidth;
  *height = state.pinnedHeight;
  return true;
}

}  // namespace seams

namespace test {

void reset() {
  std::lock_guard lock(seamMutex);
  const bool autoClose = state.autoCloseBoxes;
  state = SeamState{};
  state.autoCloseBoxes = autoClose;
}

void answerNextFileDialog(const std::string& path, int filterIndex, bool replace) {
  std::lock_guard lock(seamMutex);
  state.fileAnswers.push_back({path, filterIndex, replace});
}

void answerNextMenu(int chosenId) {
  std::lock_guard lock(seamMutex);
  state.menuAnswers.push_back(chosenId);
}

void answerNextColorDialog(std::optional<uint32_t> color,
                           std::optional<std::array<uint32_t, 16>> custom) {
  std::lock_guard lock(seamMutex);
  state.colorAnswers.push_back({color, custom});
}

void answerNextFontDialog(std::optional<FontDescription> font) {
  std::lock_guard lock(seamMutex);
  state.fontAnswers.push_back(std::move(font));
}

std::optional<ShownColorDialog> lastColorDialog() {
  std::lock_guard lock(seamMutex);
  return state.shownColor;
}

std::optional<FontDescription> lastFontDialog() {
  std::lock_guard lock(seamMutex);
  return state.shownFont;
}

std::optional<Menu> lastMenu() {
  std::lock_guard lock(seamMutex);
  return state.shownMenu;
}

std::vector<ShownMessageBox> messageBoxes() {
  std::lock_guard lock(seamMutex);
  return state.shownBoxes;
}

void clearMessageBoxes() {
  std::lock_guard lock(seamMutex);
  state.shownBoxes.clear();
}

void setAutoCloseMessageBoxes(bool on) {
  std::lock_guard lock(seamMutex);
  state.autoCloseBoxes = on;
}

std::unique_ptr<Surface> clientPixels(Window w) {
  WindowCanvas c(w);
  if (!c) return nullptr;
  Surface& s = *c.surface();
  auto copy = Surface::create(s.width(), s.height(), 32);
  if (copy) bitBlt(*copy, 0, 0, s.width(), s.height(), s, 0, 0);
  return copy;
}

void pinScreenSize(int width, int height) {
  std::lock_guard lock(seamMutex);
  state.pinnedWidth = width;
  state.pinnedHeight = height;
}

}  // namespace test
}  // namespace plat
