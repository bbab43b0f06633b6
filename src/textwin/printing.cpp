// Printing into the current text window: runs of text, wrapping at the right edge,
// scrolling at the bottom, and the colour stack.
#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "base/services.h"
#include "platform/font.h"
#include "platform/message.h"
#include "platform/utf8.h"
#include "textwin/internal.h"

namespace textwin {

void drawText(TextWindowRecord& rec, int x, int y, const std::u16string& text) {
  if (!rec.picture || text.empty()) return;
  plat::TextStyle style;
  style.color = rec.textColor;
  style.background = rec.backColor;
  style.opaque = true;
  plat::textOut(*rec.picture, x, y, text, style);
}

int scrollLocked(TextWindowRecord& rec) {
  if (rec.cursorY + rec.lineHeight < rec.height) return 0;
  if (plat::Surface* pic = rec.picture.get()) {
    // Rows [lineHeight, cursorY) move up to row 0; below the new cursor line all is black.
    const int from = std::clamp(rec.lineHeight, 0, pic->height());
    const int to = std::clamp(rec.cursorY, from, pic->height());
    if (to > from) std::memmove(pic->row8(0), pic->row8(from), pic->stride() * (to - from));
  }
  rec.cursorY = std::max(rec.cursorY - rec.lineHeight, 0);
  if (plat::Surface* pic = rec.picture.get()) {
    plat::fillRect(*pic, {0, rec.cursorY, pic->width(), pic->height()}, 0x000000);
  }
  return 1;
}

}  // namespace textwin

int ScrollIfNeeded(int n) {
  TextWindowRecord* rec = textwin::openRecord(n);
  if (!rec) return 0;
  std::lock_guard lock(rec->lock);
  return textwin::scrollLocked(*rec);
}

namespace {

// Lays the text out from the cursor: one text output per run of characters that stay
// on one row, a new row at a line feed or where the next character would pass the
// right edge. Every unit other than a line feed takes its cells, control codes too.
void layOut(TextWindowRecord& rec, const std::u16string& text) {
  std::u16string run;
  int runX = rec.cursorX;
  auto flush = [&] {
    if (!run.empty()) textwin::drawText(rec, rec.cursorX, rec.cursorY, run);
    run.clear();
  };
  auto newLine = [&] {
    flush();
    rec.cursorY += rec.lineHeight;
    rec.cursorX = 0;
    textwin::scrollLocked(rec);
    runX = 0;
  };
  for (char16_t u : text) {
    if (u == u'\n') {
      newLine();
      continue;
    }
    const int advance = u < 128 ? rec.charWidth : 2 * rec.charWidth;
    if (runX + advance > rec.width) newLine();
    run.push_back(u);
    runX += advance;
  }
  flush();
  rec.cursorX = runX;
}

}  // namespace

void TAV_Printf(const char* format, ...) {
  TextWindowRecord* rec = textwin::openRecord(CurrentTextWindow);
  if (!rec || !format) return;
  std::string bytes;
  va_list args;
  va_start(args, format);
  const bool formatted = plat::formatUtf8(bytes, kPrintfBytes - 1, format, args);
  va_end(args);
  if (!formatted) return;

  plat::Window window;
  {
    std::lock_guard lock(rec->lock);
    if (!rec->inUse) return;
    textwin::writeLog(*rec, bytes);
    layOut(*rec, plat::toUtf16(bytes));
    window = rec->window;
  }
  // Nothing printed, nothing to repaint: the player prints "" many times a second.
  if (!bytes.empty()) plat::invalidateAll(window);
  libraryServices().pump();
}

void TAV_PushTextColor(uint32_t back, uint32_t text) {
  TextWindowRecord* rec = textwin::openRecord(CurrentTextWindow);
  if (!rec) return;
  std::lock_guard lock(rec->lock);
  std::copy_backward(rec->textColorStack.begin(), rec->textColorStack.end() - 1,
                     rec->textColorStack.end());
  std::copy_backward(rec->backColorStack.begin(), rec->backColorStack.end() - 1,
                     rec->backColorStack.end());
  rec->textColorStack[0] = rec->textColor;
  rec->backColorStack[0] = rec->backColor;
  rec->textColor = text;
  rec->backColor = back;
}

void TAV_PopTextColor() {
  TextWindowRecord* rec = textwin::openRecord(CurrentTextWindow);
  if (!rec) return;
  std::lock_guard lock(rec->lock);
  rec->textColor = rec->textColorStack[0];
  rec->backColor = rec->backColorStack[0];
  // The bottom slot keeps its value, so it repeats once the stack runs dry.
  std::copy(rec->textColorStack.begin() + 1, rec->textColorStack.end(),
            rec->textColorStack.begin());
  std::copy(rec->backColorStack.begin() + 1, rec->backColorStack.end(),
            rec->backColorStack.begin());
}
