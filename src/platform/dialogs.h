// Message boxes, the open and save file dialogs and the colour and font choosers; they
// wait on the caller's thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/font.h"
#include "platform/types.h"

namespace plat {

enum MessageBoxFlags : unsigned { kMbOk = 0, kMbYesNo = 4, kMbIconError = 0x10 };
// Shows a message box with an OK button and waits until it is closed.
void messageBox(Window owner, const std::string& text, const std::string& title,
                unsigned flags = kMbOk);

struct FileFilter {
  std::string label;                  // "AVI (*.AVI )"
  std::vector<std::string> patterns;  // "*.AVI"; matched regardless of case
};
struct FileDialogParams {
  Window owner;
  std::string title;
  std::string initialFolder;
  std::string initialName;
  std::vector<FileFilter> filters;
  int filterIndex = 1;  // 1-based, in and out
  bool fileMustExist = false;
  bool pathMustExist = false;
  bool overwritePrompt = false;
  // Saving: the name the caller will write for a chosen name and filter index, when it
  // adds to the name (an extension). The overwrite question is about that name, and is
  // asked only when it exists; without this, about the chosen name itself.
  std::function<std::string(const std::string& chosen, int filterIndex)> writtenName;
};
// The chosen path (UTF-8), or empty when cancelled; params.filterIndex is updated.
// With overwritePrompt, a name that would replace a file is taken only after the user
// said Yes to "... already exists. Do you want to replace it?"; No goes back to the dialog.
std::string openFileDialog(FileDialogParams& params);
std::string saveFileDialog(FileDialogParams& params);

// The colour chooser, opened in full with `color` (0xRRGGBB) selected and the 16 custom
// colours offered. True when the user confirmed: `color` is then the chosen one. The
// custom colours come back as the user left them, confirmed or not.
using CustomColors = std::array<uint32_t, 16>;
bool chooseColor(Window owner, uint32_t& color, CustomColors& custom);

// The font chooser (screen fonts, with effects), opened on `description`. True when the
// user confirmed: `description` is then the chosen font, its height the character
// height as a negative number of pixels.
bool chooseFont(Window owner, FontDescription& description);

}  // namespace plat
