// The window information: a listing of every open library window printed into a text
// window, and, written alongside it, source text that re-creates the present layout
// through the library's calls, handed to the clipboard for pasting into set-up code.
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/services.h"
#include "imagewin/imagewin.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/utf8.h"
#include "platform/window.h"
#include "textwin/internal.h"

namespace {

constexpr size_t kSourceBytes = 30000;  // the whole source, with its terminating NUL
constexpr size_t kLineBytes = 512;      // one generated line, with its NUL
constexpr int kLabelUnits = 254;        // of a box label copied into the source

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kNavy = 0x000080;
constexpr uint32_t kDepthColor = 0x0080FF;
constexpr uint32_t kModeColor = 0xFF00FF;

// The source text, line by line; a line longer than 511 bytes and whatever no longer
// fits into the whole buffer are cut off, never inside a character.
class SourceText {
 public:
  void line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    std::string formatted;
    va_list args;
    va_start(args, format);
    const bool ok = plat::formatUtf8(formatted, kLineBytes - 1, format, args);
    va_end(args);
    if (ok) append(formatted);
  }
  // Text appended as it is, already within one line's limit.
  void append(std::string text) {
    plat::cutUtf8(text, kSourceBytes - 1 - text_.size());
    text_ += text;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// The listing: printed into the current text window, or not at all.
class Listing {
 public:
  explicit Listing(bool on) : on_(on) {}
  void print(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (!on_) return;
    std::string text;
    va_list args;
    va_start(args, format);
    const bool ok = plat::formatUtf8(text, kPrintfBytes - 1, format, args);
    va_end(args);
    if (ok) TAV_Printf("%s", text.c_str());
  }
  void printIn(uint32_t back, uint32_t color, const std::string& text) {
    if (!on_) return;
    TAV_PushTextColor(back, color);
    TAV_Printf("%s", text.c_str());
    TAV_PopTextColor();
  }
  void heading(const char* text) { printIn(kBlack, kGreen, text); }

 private:
  bool on_;
};

// A box label as the source quotes it: at most 254 characters.
std::string sourceLabel(const std::string& label) {
  std::u16string units = plat::toUtf16(label);
  if (units.size() > kLabelUnits) units.resize(kLabelUnits);
  std::string bytes = plat::toUtf8(units);
  plat::cutUtf8(bytes, kLabelUnits);
  return bytes;
}

std::string escapeLineFeeds(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

const char* createCall(int bits, int mode) {
  if (bits == 32) return mode == 1 ? "TAV_CreateImage" : "TAV_CreateImageFL";
  return mode == 1 ? "TAV_CreateImage8" : "TAV_CreateImage8FL";
}

void describeImageWindows(Listing& list, SourceText& src) {
  bool any = false;
  for (const ImageWindowRecord& rec : ImageTable) any = any || rec.inUse;
  if (!any) return;
  list.heading("[Image Window]\n");
  src.line("\t// [Image Window]\n");
  for (int i = 0; i < kImageWindowCount; ++i) {
    const ImageWindowRecord& rec = ImageTable[i];
    if (!rec.inUse) continue;
    const plat::Rect outer = plat::getWindowRect(rec.window);
    list.print(" %d ", i);
    list.printIn(kBlack, kDepthColor, std::to_string(rec.bits) + " ");
    list.printIn(kBlack, kModeColor, std::to_string(rec.sizeLimitMode) + " ");
    list.print(" '%s' X:%d Y:%d W:%d H:%d ZM:%d%%\n", rec.title.c_str(), outer.left, outer.top,
               rec.width, rec.height, rec.zoom);
    src.line("\t%s(%d,\"%s\",%d,%d,%d,%d,%d);\n", createCall(rec.bits, rec.sizeLimitMode), i,
             rec.title.c_str(), outer.left, outer.top, rec.width, rec.height, rec.zoom);
  }
}

void describeTextWindows(Listing& list, SourceText& src) {
  list.heading("[Text Window]\n");
  src.line("\t// [Text Window]\n");
  for (int k = 0; k < kTextWindowCount; ++k) {
    const TextWindowRecord* rec = textwin::openRecord(k);
    if (!rec) continue;
    const plat::Rect outer = plat::getWindowRect(rec->window);
    list.print(" %d X:%d Y:%d W:%d H:%d\n", k, outer.left, outer.top, rec->width, rec->height);
    src.line("\tTAV_OpenTextWindow(%d,%d,%d,%d,%d);\n", k, outer.left, outer.top, rec->width,
             rec->height);
  }
}

void describeInputBox(Listing& list, SourceText& src, const BoxesLayout& boxes) {
  if (!boxes.inputBoxOpen) return;
  const plat::Rect& outer = boxes.inputBoxRect;
  list.heading("[Input Box]\n");
  src.line("\t// [Input Box]\n");
  list.print(" X:%d Y:%d ITEM:%d ", outer.left, outer.top, boxes.itemCount);
  src.line("\tTAV_OpenInputBox(%d,%d,%d);\n", outer.left, outer.top, boxes.itemCount);
  list.print("ISIZE:%d ESIZE:%d\n", boxes.labelWidth, boxes.editWidth);
  src.line("\tTAV_ResizeInputBox(%d,%d);\n", boxes.labelWidth, boxes.editWidth);
  for (int i = 0; i < static_cast<int>(boxes.itemLabels.size()); ++i)
    src.line("\tTAV_SetInputBoxTitle(%d,\"%s\");\n", i, sourceLabel(boxes.itemLabels[i]).c_str());
}

void describeButtonBox(Listing& list, SourceText& src, const BoxesLayout& boxes) {
  if (!boxes.buttonBoxOpen) return;
  const plat::Rect& outer = boxes.buttonBoxRect;
  list.heading("[Button Box]\n");
  src.line("\t// [Button Box]\n");
  list.print(" X:%d Y:%d NX:%d NY:%d ", outer.left, outer.top, boxes.columns, boxes.rows);
  src.line("\tTAV_OpenButtonBox(%d,%d,%d,%d);\n", outer.left, outer.top, boxes.columns, boxes.rows);
  list.print("SIZE:%dx%d\n", boxes.clientWidth, boxes.clientHeight);
  src.line("\tTAV_ResizeButtonBox(%d,%d);\n", boxes.clientWidth, boxes.clientHeight);
  for (int i = 0; i < static_cast<int>(boxes.buttonLabels.size()); ++i) {
    const std::string label = escapeLineFeeds(sourceLabel(boxes.buttonLabels[i]));
    src.line("\tTAV_SetButtonBoxTitle(%d,\"%s\");\n", i, label.c_str());
  }
}

// Both texts, section by section; the listing only when printing.
std::string describeWindows(bool printListing) {
  Listing list(printListing);
  SourceText src;
  list.printIn(kBlack, kYellow, "******* Window information *******\n");
  src.line("\t// DIREVO --- Automatic Source Generator\n");
  describeImageWindows(list, src);
  describeTextWindows(list, src);
  const BoxesLayout boxes = libraryServices().boxesLayout();
  describeInputBox(list, src, boxes);
  describeButtonBox(list, src, boxes);
  list.printIn(kBlack, kYellow, "**********************************\n");
  src.line("\tTAV_SetForeground(TAVMAINWINDOW);\n");
  return src.text();
}

// Hands the source to the clipboard through a block of its own, as the clipboard
// takes it; false when no memory could be had for the block.
bool putOnClipboard(const std::string& source) {
  std::unique_ptr<char[]> block(new (std::nothrow) char[source.size() + 1]);
  if (!block) return false;
  std::memcpy(block.get(), source.c_str(), source.size() + 1);
  plat::setClipboardText(block.get());
  return true;
}

}  // namespace

namespace textwin {

std::string windowInfoSource() {
  return describeWindows(false);
}

}  // namespace textwin

void GenerateWindowInfo(int n) {
  TAV_SelectTextWindow(n);
  // The listing is white on black; the window's own colours come back at the end.
  TAV_PushTextColor(kBlack, 0xFFFFFF);
  const std::string source = describeWindows(true);
  if (putOnClipboard(source)) {
    TAV_PushTextColor(kNavy, kYellow);
    TAV_Printf("クリップボードにレイアウト作成ソースリストを保存しました．\n");
    TAV_PopTextColor();
  } else {
    plat::setClipboardText("");  // emptied before the block was asked for
    plat::messageBox({}, "GlobalAlloc() failed. (ID_INFO)", "Pause");
  }
  TAV_PopTextColor();
}
