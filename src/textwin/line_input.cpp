// Line input: the text windows' key and character events, the line reader with its
// echo, blinking cursor, wrapping, backspace, recall and paste, and the status line.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ids.h"
#include "base/services.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/utf8.h"
#include "platform/window.h"
#include "textwin/internal.h"

namespace {

constexpr int kStatusColumns = 63;
constexpr uint32_t kBlinkMs = 200;
constexpr int kKeyWaitMs = 10;

// The window whose Space just opened the console: the space character that key also
// produces is not part of the command (checked on the thread that owns the window).
thread_local plat::Window openingSpaceWindow;

// One call of TAV_InputLine on window n.
class LineReader {
 public:
  explicit LineReader(TextWindowRecord& rec) : rec_(rec), lastBlink_(plat::milliseconds()) {}

  bool cancelled() const { return InputOwner == 0; }

  void type(char16_t u) {
    if (line_.size() >= static_cast<size_t>(kInputLineUnits)) return;
    std::lock_guard lock(rec_.lock);
    if (!rec_.inUse) return;
    const int cw = rec_.charWidth;
    const int cells = u < 128 ? 1 : 2;
    if (cells == 2 && rec_.cursorX > rec_.width - 2 * cw) {
      // A double-width character no longer fits on this row.
      drawCellLocked(u" ", 1);
      marks_.push_back(rec_.cursorX + 2 * cw);
      newRowLocked();
    }
    drawCellLocked(std::u16string(1, u), cells);
    if (rec_.cursorX + cells * cw > rec_.width - cw) {
      // The cursor would not have a whole free cell left on this row.
      marks_.push_back(rec_.cursorX);
      newRowLocked();
    } else {
      rec_.cursorX += cells * cw;
    }
    line_.push_back(u);
    drawCursorLocked();
    redrawCursor_ = false;
  }

  void backspace() {
    if (line_.empty()) return;
    std::lock_guard lock(rec_.lock);
    const char16_t c = line_.back();
    line_.pop_back();
    if (!rec_.inUse) return;
    const int cw = rec_.charWidth;
    drawCellLocked(u" ", 1);
    const int cells = c < 128 ? 1 : 2;
    if (!marks_.empty() && rec_.cursorX == 0) {
      // The removed character was the last one of the row above.
      rec_.cursorX = marks_.back();
      marks_.pop_back();
      rec_.cursorY -= rec_.lineHeight;
    } else {
      rec_.cursorX -= cells * cw;
    }
    if (cells == 2) {
      drawCellLocked(u"\u3000", 2);
      if (!marks_.empty() && rec_.cursorX == 0 && marks_.back() >= rec_.width) {
        // It had moved to this row because it did not fit at the end of the one above.
        rec_.cursorX = marks_.back() - 2 * cw;
        marks_.pop_back();
        rec_.cursorY -= rec_.lineHeight;
      }
    }
    // A single-width character stays until the cursor mark is next drawn over it.
  }

  void recall() {
    plat::Window window;
    {
      std::lock_guard lock(rec_.lock);
      window = rec_.window;
    }
    for (char16_t u : LastInputLine) {
      plat::Message c;
      c.window = window;
      c.kind = plat::Msg::Char;
      c.unit = u;
      c.key = u;
      plat::sendMessage(c);
    }
  }

  static void paste() {
    for (char16_t u : plat::clipboardText()) {
      if (u == 0 || u == u'\n' || u == u'\r') break;
      if (!KeyQueue.put(u)) break;
    }
  }

  void blink() {
    if (redrawCursor_) {
      std::lock_guard lock(rec_.lock);
      if (rec_.inUse) drawCursorLocked();
      redrawCursor_ = false;
    }
    const uint32_t now = plat::milliseconds();
    if (now - lastBlink_ > kBlinkMs) {
      phase_ = 1 - phase_;
      redrawCursor_ = true;
      lastBlink_ = now;
    }
  }

  // Enter: the cursor leaves the line; the line is kept for recall and returned.
  void finish(char* buffer) {
    InputOwner = 0;
    std::string bytes = plat::toUtf8(line_);
    plat::cutUtf8(bytes, kInputLineBytes - 1);
    std::memcpy(buffer, bytes.data(), bytes.size());
    buffer[bytes.size()] = '\0';
    LastInputLine = line_;
    std::lock_guard lock(rec_.lock);
    if (!rec_.inUse) return;
    drawCellLocked(u" ", 1);
    rec_.cursorX = 0;
    newRowLocked();
    if (rec_.logState == 1) {
      textwin::writeLog(rec_, bytes);
      textwin::writeLog(rec_, "\n");
    }
  }

 private:
  void drawCellLocked(const std::u16string& text, int cells) {
    textwin::drawText(rec_, rec_.cursorX, rec_.cursorY, text);
    const plat::Rect r{rec_.cursorX, rec_.cursorY, rec_.cursorX + cells * rec_.charWidth,
                       rec_.cursorY + rec_.lineHeight};
    plat::invalidate(rec_.window, &r);
  }
  void drawCursorLocked() { drawCellLocked(phase_ ? u"_" : u" ", 1); }
  void newRowLocked() {
    rec_.cursorX = 0;
    rec_.cursorY += rec_.lineHeight;
    if (textwin::scrollLocked(rec_)) plat::invalidateAll(rec_.window);
  }

  TextWindowRecord& rec_;
  std::u16string line_;
  std::vector<int> marks_;  // one per row the line has wrapped onto
  int phase_ = 1;
  bool redrawCursor_ = true;
  uint32_t lastBlink_;
};

void showColorDepth() {
  const std::string text = std::to_string(plat::displayColorDepth()) + "-bit color";
  StatusLine(text.c_str());
}

}  // namespace

namespace textwin {

void onKeyDown(plat::Window window, plat::Message& m) {
  const int n = FindTextWindow(window);
  if (n < 0) return;
  if (InputOwner != 0) {
    // While a line is read, keys only ask the reader for a recall or a paste.
    int none = kRequestNone;
    if (m.key == plat::vk::Up)
      InputRequest.compare_exchange_strong(none, kRequestRecall);
    else if (m.ctrl && m.key == 'V')
      InputRequest.compare_exchange_strong(none, kRequestPaste);
    return;
  }
  if (m.ctrl) {
    // A menu entry's key posts the entry's command, as choosing it does.
    if (const TextAction* row = action::findByKey(textWindowActions(), m.key, true, m.shift))
      plat::postCommand(window, row->id);
    return;
  }
  if (ids::isMainWindowKey(m.key)) {
    plat::Message forward = m;
    forward.window = libraryServices().mainWindow();
    plat::postMessage(forward);
    return;
  }
  if (m.key == plat::vk::Space) {
    if (m.text.find(u' ') != std::u16string::npos) openingSpaceWindow = window;
    TAV_SelectTextWindow(n);
    RunConsoleCommand();
    openingSpaceWindow = {};
  }
}

void onChar(plat::Window window, const plat::Message& m) {
  if (m.unit == u' ' && openingSpaceWindow && openingSpaceWindow == window) {
    openingSpaceWindow = {};
    return;
  }
  if (InputOwner == 0 || m.ctrl) return;
  KeyQueue.put(m.unit);
}

void resetLineInput() {
  KeyQueue.clear();
  InputRequest = kRequestNone;
  LastInputLine.clear();
}

std::string promptLine(const std::string& prompt) {
  EnsureTextWindow();
  TAV_Printf("%s", prompt.c_str());
  char line[kInputLineBytes];
  TAV_InputLine(line);
  return line;
}

}  // namespace textwin

void TAV_InputLine(char* buffer) {
  if (!buffer) return;
  buffer[0] = '\0';
  const int n = CurrentTextWindow;
  TextWindowRecord* rec = textwin::openRecord(n);
  if (!rec) return;
  plat::setForegroundWindow(rec->window);
  StatusLine("Input text");
  LineReader reader(*rec);
  InputOwner = n + 1;
  for (;;) {
    libraryServices().pump();
    char16_t u = 0;
    const bool took = KeyQueue.take(u);
    if (u == u'\t') u = u' ';
    if (u == u'\r') {
      if (!reader.cancelled()) reader.finish(buffer);
      break;
    }
    const int request = InputRequest.load();
    if (request == kRequestRecall) reader.recall();
    if (request == kRequestPaste) LineReader::paste();
    if (request != kRequestNone) InputRequest = kRequestNone;
    if (reader.cancelled()) break;  // the reading window was closed
    if (u == u'\b')
      reader.backspace();
    else if (u != 0)
      reader.type(u);
    reader.blink();
    // Nothing arrived: wait for the next message (keys typed into a window of another
    // thread arrive without one, hence the short deadline) instead of spinning.
    if (!took && request == kRequestNone) plat::waitForMessage(kKeyWaitMs);
  }
  showColorDepth();
}

void StatusLine(const char* text) {
  const plat::Window status = plat::controlById(libraryServices().mainWindow(), ids::kStatusLine);
  if (!status) return;
  const std::u16string units = plat::toUtf16(text ? text : "");
  // Columns: one per unit below 128, two for any other.
  auto columns = [](char16_t u) { return u < 128 ? 1 : 2; };
  int length = 0;
  for (char16_t u : units) length += columns(u);
  const int spaces = std::max(18 - length / 2, 0);
  std::u16string shown(static_cast<size_t>(spaces), u' ');
  int used = spaces;
  for (char16_t u : units) {
    if (used + columns(u) > kStatusColumns) break;
    shown.push_back(u);
    used += columns(u);
  }
  plat::setControlText(status, plat::toUtf8(shown));
}
