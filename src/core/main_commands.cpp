// The window-building commands of the main window.
#include "core/main_commands.h"

#include <cstdio>
#include <mutex>
#include <span>

#include "base/action.h"
#include "base/ids.h"
#include "core/core.h"
#include "core/requests.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/imagefile.h"
#include "platform/message.h"
#include "textwin/textwin.h"

namespace core {

namespace {

// The windows these commands build are made by the worker before its main routine;
// once that runs they would only ask questions that lead nowhere.
bool buildingClosed() {
  return mainRunning.load() != 0;
}

// Prints the prompt in the current text window and reads the line typed after it. After
// Exit nobody can type any more (the worker that owns the text windows has ended): the
// answer is then empty rather than awaited for ever.
std::string promptedLine(const char* prompt) {
  TAV_Printf("%s", prompt);
  if (quitRequested.load() != 0) return {};
  char line[kInputLineBytes];
  TAV_InputLine(line);
  return line;
}

int promptedNumber(const char* prompt) {
  return imagewin::leadingInteger(promptedLine(prompt));
}

std::string numberedTitle(int number, const std::string& name = {}) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", number);
  return name.empty() ? std::string(digits) : std::string(digits) + " " + name;
}

// Why an image window was not made, for the status line.
const char* creationFailure(int result) {
  switch (result) {
    case kCreateTooLarge:
      return "too large to show";
    case kCreateNoBuffer:
      return "out of memory";
    default:
      return "no free window number";
  }
}

int lowestFreeImageNumber() {
  for (int n = 0; n < kImageWindowCount; ++n)
    if (!ImageTable[n].inUse) return n;
  return -1;
}

int lowestFreeTextWindowNumber() {
  for (int n = 0; n < kTextWindowCount; ++n)
    if (!TextWindowTable[n].inUse) return n;
  return -1;
}

void imageWindow() {
  RequestOpenTextWindow(0);
  TAV_Printf("Creating ImageWindow...\n");
  const char* prompts[] = {" Width=", "Height=", "Bit[32 or 8]="};
  int values[3] = {};
  for (int i = 0; i < 3; ++i) {
    const std::string line = promptedLine(prompts[i]);
    if (quitRequested.load() != 0) return;
    values[i] = imagewin::leadingInteger(line);
  }
  const int width = values[0], height = values[1], depth = values[2];
  char told[96];
  if (depth != 32 && depth != 8) {
    std::snprintf(told, sizeof told, "Bit %d: only 32 or 8", depth);
    StatusLine(told);
    return;
  }
  const int number = lowestFreeImageNumber();
  if (number < 0) return;
  const int result = RequestCreateImage(number, numberedTitle(number), width, height, depth);
  if (result != kCreateOk) {
    std::snprintf(told, sizeof told, "Image %dx%d: %s", width, height, creationFailure(result));
    StatusLine(told);
  }
}

void paste() {
  if (mainRunning.load() == 1) return;
  std::unique_ptr<plat::Surface> bitmap = TAV_GetClipboardBitmap(nullptr, nullptr);
  if (!bitmap) return;
  const int width = bitmap->width(), height = bitmap->height();
  for (int number = 0; number < kImageWindowCount; ++number) {
    if (RequestCreateImage(number, numberedTitle(number), width, height, 32) != kCreateOk) continue;
    RequestPutBitmap(std::move(bitmap));
    RequestShowImage(number);
    TAV_RestoreImage();
    return;
  }
  // No number took it: the bitmap goes with this scope.
}

void textWindow() {
  const int number = lowestFreeTextWindowNumber();
  if (number >= 0) RequestOpenTextWindow(number);
}

void inputBox() {
  RequestOpenTextWindow(0);
  TAV_Printf("Creating InpuxBox...\n");
  RequestOpenInputBox(promptedNumber("How many items? >"));
}

void buttonBox() {
  RequestOpenTextWindow(0);
  TAV_Printf("Creating ButtonBox...\n");
  const int columns = promptedNumber("Number[X]=>");
  const int rows = promptedNumber("Number[Y]=>");
  RequestOpenButtonBox(columns, rows);
}

plat::Window currentTextWindow() {
  const int n = CurrentTextWindow.load();
  if (static_cast<unsigned>(n) >= kTextWindowCount) return {};
  TextWindowRecord& rec = TextWindowTable[n];
  if (!rec.inUse) return {};
  std::lock_guard lock(rec.lock);
  return rec.window;
}

// The listing is made by the text window itself, on the worker.
void windowInfo() {
  if (!currentTextWindow()) RequestOpenTextWindow(0);
  if (plat::Window w = currentTextWindow()) plat::postCommand(w, ids::text::kWindowInfo);
}

using WindowCommand = action::Row<void (*)()>;
constexpr unsigned kOnlyBeforeMain = 1;  // makes windows and nothing else
constexpr WindowCommand kWindowCommands[] = {
    {ids::kPaste, nullptr, {}, paste, kOnlyBeforeMain},
    {ids::kImageWindow, nullptr, {}, imageWindow, kOnlyBeforeMain},
    {ids::kTextWindow, nullptr, {}, textWindow, kOnlyBeforeMain},
    {ids::kInputBox, nullptr, {}, inputBox, kOnlyBeforeMain},
    {ids::kButtonBox, nullptr, {}, buttonBox, kOnlyBeforeMain},
    {ids::kWindowInfo, nullptr, {}, windowInfo},
};

// The file-name part of a path: what follows its last '/'.
std::string fileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string fullPath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return startDirectory() + path;
}

}  // namespace

bool runWindowCommand(int id) {
  const WindowCommand* c = action::findById(std::span<const WindowCommand>(kWindowCommands), id);
  if (!c) return false;
  if (!((c->flags & kOnlyBeforeMain) && buildingClosed())) c->run();
  return true;
}

void openDroppedFiles(const std::vector<std::string>& paths) {
  if (buildingClosed()) return;
  int n = 0;  // counted across the whole drop
  for (const std::string& dropped : paths) {
    const std::string path = fullPath(dropped);
    const std::string name = fileNamePart(path);
    if (name.empty()) continue;
    // A name the image files cannot take would only be refused later.
    if (path.size() >= static_cast<size_t>(kFileNameBytes)) {
      interchange::TellFileFailure(path, false, plat::ImageFileError::NameTooLong);
      continue;
    }
    int width = 0, height = 0;
    {
      // Decoded only to learn the size; the worker decodes it again into the window.
      const plat::LoadedImage image = plat::loadImageFile(path);
      if (!image.object) {
        interchange::TellFileFailure(path, false, image.reason);
        continue;
      }
      width = image.object->width();
      height = image.object->height();
    }
    while (n < kImageWindowCount) {
      const int result = RequestCreateImage(n, numberedTitle(n, name), width, height, 32);
      ++n;
      if (result == kCreateOk) {
        RequestLoadImage(n - 1, path);
        RequestShowImage(n - 1);
        TAV_RestoreImage();
        break;
      }
      if (result != kCreateInUse) {  // this file cannot be shown: give it up
        interchange::TellFileFailure(path, false, creationFailure(result));
        break;
      }
    }
  }
}

}  // namespace core
