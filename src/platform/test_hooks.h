// Where production code asks the test seams whether a test has a say. The seams
// themselves (platform/test.h) are for tests only; the dialogs, menus and metrics ask
// through here, so they never see the test interface.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/font.h"
#include "platform/menu.h"

namespace plat::seams {

// Records the menu as shown; true with the chosen identifier when a test queued an answer.
bool takeMenuAnswer(const Menu& m, int* chosen);

struct FileAnswer {
  std::string path;  // "" cancels
  int filterIndex;   // <= 0: the dialog's own
  bool replace;      // the answer to "Do you want to replace it?", if the dialog asks
};
// The next queued file dialog answer, if a test queued one.
std::optional<FileAnswer> takeFileAnswer();

// The next queued chooser answer, if a test queued one; the chooser is recorded as
// shown either way. An answer holds nullopt to cancel.
struct ColorAnswer {
  std::optional<uint32_t> color;
  std::optional<std::array<uint32_t, 16>> custom;
};
std::optional<ColorAnswer> takeColorAnswer(uint32_t color, const std::array<uint32_t, 16>& custom);
std::optional<std::optional<FontDescription>> takeFontAnswer(const FontDescription& shown);

// Records a message box as shown; true when it is to close at once.
bool noteMessageBox(const std::string& text, const std::string& title, unsigned flags);

// The screen size a test pinned, or false.
bool pinnedScreenSize(int* width, int* height);

}  // namespace plat::seams
