// Message boxes and the open and save file dialogs; they wait on the caller's thread.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

enum MessageBoxFlags : unsigned { kMbOk = 0, kMbIconError = 0x10 };
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
};
// The chosen path (UTF-8), or empty when cancelled; params.filterIndex is updated.
std::string openFileDialog(FileDialogParams& params);
std::string saveFileDialog(FileDialogParams& params);

}  // namespace plat
