#include "interchange/file_dialogs.h"

#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "interchange/image_files.h"
#include "interchange/interchange.h"

InterchangeState interchangeState;

namespace interchange {

namespace {

struct FilterRow {
  const char* label;
  const char* pattern;
};
// Index 1..9 is row 0..8. The AVI pattern's trailing blank is part of the list; it is
// never part of a pattern that is matched or put into the name field.
constexpr FilterRow kFilters[] = {
    {"All Files (*.*)", "*.*"},
    {"BMP (*.BMP;*.RLE;*.DIB)", "*.BMP;*.RLE;*.DIB"},
    {"JPEG (*.JPG;*.JPEG;*.JPE)", "*.JPG;*.JPEG;*.JPE"},
    {"CompuServe GIF (*.GIF)", "*.GIF"},
    {"PNG (*.PNG)", "*.PNG"},
    {"TIFF (*.TIF;*.TIFF)", "*.TIF;*.TIFF"},
    {"WMF (*.WMF)", "*.WMF"},
    {"EMF (*.EMF)", "*.EMF"},
    {"AVI (*.AVI )", "*.AVI "},
};
constexpr int kOpenFilterCount = 9;
constexpr int kSaveFilterCount = 6;
constexpr int kOpenStartIndex = 9;
constexpr int kSaveStartIndex = 2;

struct DialogState {
  std::string startDirectory;
  std::string openFolder;
  int openFilterIndex = kOpenStartIndex;
  std::string saveFolder;
};
DialogState State;

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<plat::FileFilter> Filters(int count) {
  std::vector<plat::FileFilter> filters;
  for (int i = 0; i < count; ++i) {
    plat::FileFilter f{kFilters[i].label, {}};
    std::string_view rest = kFilters[i].pattern;
    while (!rest.empty()) {
      size_t semi = rest.find(';');
      std::string_view one = Trimmed(rest.substr(0, semi));
      if (!one.empty()) f.patterns.emplace_back(one);
      rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
    }
    filters.push_back(std::move(f));
  }
  return filters;
}

// The folder of a chosen file: its full path cut just before the file name, ending
// in "/". Empty when that does not fit the byte limit.
std::string FolderOf(const std::string& chosen) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(chosen, ec);
  if (ec) return {};
  std::string folder = full.lexically_normal().parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder.size() < kFileNameBytes ? folder : std::string();
}

// Shows the dialog and, on a choice that fits, hands the name to the caller and
// remembers folder and filter index.
int RunDialog(bool save, plat::FileDialogParams params, char* name, std::string& folder,
              int& filterIndex, int filterCount) {
  const std::string chosen = save ? plat::saveFileDialog(params) : plat::openFileDialog(params);
  if (chosen.empty()) return kDialogCancelled;
  // A name that does not fit counts as a cancel: nothing changes.
  if (chosen.size() >= static_cast<size_t>(kFileNameBytes)) return kDialogCancelled;
  std::memcpy(name, chosen.c_str(), chosen.size() + 1);
  // An index the dialog cannot have shown keeps the one we had.
  if (params.filterIndex >= 1 && params.filterIndex <= filterCount)
    filterIndex = params.filterIndex;
  if (std::string f = FolderOf(chosen); !f.empty()) folder = std::move(f);
  return kDialogChosen;
}

}  // namespace

plat::FileDialogParams openDialogParams(const char* title) {
  plat::FileDialogParams p;
  p.title = title ? title : "";
  p.initialFolder = State.openFolder;
  p.initialName = std::string(Trimmed(kFilters[State.openFilterIndex - 1].pattern));
  p.filters = Filters(kOpenFilterCount);
  p.filterIndex = State.openFilterIndex;
  p.fileMustExist = true;
  p.pathMustExist = true;
  return p;
}

plat::FileDialogParams saveDialogParams() {
  plat::FileDialogParams p;
  p.title = "Save as";
  p.initialFolder = State.saveFolder;
  p.initialName = "noname";
  p.filters = Filters(kSaveFilterCount);
  p.filterIndex =
      ImageFileType >= 1 && ImageFileType <= kSaveFilterCount ? ImageFileType : kSaveStartIndex;
  p.pathMustExist = true;
  p.overwritePrompt = true;
  // Save as adds the type's extension after the dialog: the question is about that name.
  p.writtenName = [](const std::string& chosen, int filterIndex) {
    const int type = SaveTypeOfFilter(filterIndex);
    return type < 0 ? chosen : AddExtension(chosen, kSaveTypes[type].extension);
  };
  return p;
}

const std::string& openDialogFolder() {
  return State.openFolder;
}
const std::string& saveDialogFolder() {
  return State.saveFolder;
}
int openDialogFilterIndex() {
  return State.openFilterIndex;
}

bool setStartDirectory(const std::string& directory) {
  if (directory.empty()) return false;
  std::string dir = directory;
  if (dir.back() != '/') dir += '/';
  if (dir.size() >= static_cast<size_t>(kFileNameBytes)) return false;
  State.startDirectory = dir;
  State.openFolder = dir;
  State.saveFolder = dir;
  return true;
}

void resetFileDialogs() {
  State.openFolder = State.startDirectory;
  State.saveFolder = State.startDirectory;
  State.openFilterIndex = kOpenStartIndex;
  ImageFileType = kSaveStartIndex;
}

void resetInterchange() {
  resetFileDialogs();
  JpegQuality = InterchangeState{}.JpegQuality;
  PasteBitmap.reset();
  ClipboardBlockLimit = InterchangeState{}.ClipboardBlockLimit;
}

}  // namespace interchange

int TAV_OpenFileDialog(const char* title, char* name) {
  if (!name) return kDialogCancelled;
  using namespace interchange;
  return RunDialog(false, openDialogParams(title), name, State.openFolder, State.openFilterIndex,
                   kOpenFilterCount);
}

int TAV_SaveFileDialog(char* name) {
  if (!name) return kDialogCancelled;
  using namespace interchange;
  plat::FileDialogParams params = saveDialogParams();
  int index = params.filterIndex;
  int result = RunDialog(true, std::move(params), name, State.saveFolder, index, kSaveFilterCount);
  if (result == kDialogChosen) ImageFileType = index;
  return result;
}
