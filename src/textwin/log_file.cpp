// Text window log files: a plain copy of what was printed into a window and of the lines
// typed into it, stored with DOS line ends, so that the file reads the same wherever it
// is opened.
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "base/services.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "textwin/internal.h"

namespace {

// Creates the file, truncating one left from before.
std::FILE* createLogFile(int n) {
  return std::fopen(textwin::logFileName(n).c_str(), "wb");
}
std::FILE* appendLogFile(int n) {
  return std::fopen(textwin::logFileName(n).c_str(), "ab");
}

enum class ReadResult { Ok, CannotOpen, NoMemory };

// The whole file as stored, into text.
ReadResult readWholeFile(const std::string& path, std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return ReadResult::CannotOpen;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::rewind(f);
  ReadResult result = ReadResult::Ok;
  try {
    text.assign(static_cast<size_t>(size < 0 ? 0 : size), '\0');
    text.resize(std::fread(text.data(), 1, text.size(), f));
  } catch (const std::bad_alloc&) {
    result = ReadResult::NoMemory;
  }
  std::fclose(f);
  return result;
}

}  // namespace

namespace textwin {

std::string logFileName(int n) {
  const LibraryServices& s = libraryServices();
  return s.startDirectory() + "DIREVO" + std::to_string(s.instanceNumber()) + std::to_string(n) +
         ".LOG";
}

void writeLog(TextWindowRecord& rec, std::string_view bytes) {
  if (rec.logState != 1 || !rec.logFile || bytes.empty()) return;
  // Every line feed is stored as carriage return + line feed.
  size_t from = 0;
  for (size_t lf = bytes.find('\n'); lf != std::string_view::npos; lf = bytes.find('\n', from)) {
    std::fwrite(bytes.data() + from, 1, lf - from, rec.logFile);
    std::fwrite("\r\n", 1, 2, rec.logFile);
    from = lf + 1;
  }
  std::fwrite(bytes.data() + from, 1, bytes.size() - from, rec.logFile);
}

void closeLog(TextWindowRecord& rec) {
  if (rec.logFile) std::fclose(rec.logFile);
  rec.logFile = nullptr;
  rec.logState = 0;
}

}  // namespace textwin

int TAV_StartLog(int n) {
  TextWindowRecord* rec = textwin::openRecord(n);
  if (!rec) return 3;
  {
    std::lock_guard lock(rec->lock);
    if (rec->logState == 1) return 1;
    if (rec->logState == 2) {
      rec->logState = 1;  // the file stayed open: output is appended
      return 0;
    }
    rec->logFile = createLogFile(n);
    if (rec->logFile) {
      rec->logState = 1;
      return 0;
    }
  }
  plat::messageBox({}, "Can't create file for LOG!", "Error");
  return 2;
}

int TAV_StopLog(int n) {
  TextWindowRecord* rec = textwin::openRecord(n);
  if (!rec) return 2;
  std::lock_guard lock(rec->lock);
  if (rec->logState == 0) return 1;
  rec->logState = 2;
  return 0;
}

void TAV_CloseAllLogs() {
  for (TextWindowRecord& rec : TextWindowTable) {
    if (!rec.inUse) continue;
    std::lock_guard lock(rec.lock);
    textwin::closeLog(rec);
  }
}

int CopyLogToClipboard(int n) {
  TextWindowRecord* rec = textwin::openRecord(n);
  if (!rec) return 4;
  // The clipboard is never held open by anyone else here, so it is never busy.
  std::string text;
  ReadResult read;
  {
    // Closed and reopened, so that everything logged so far is on disk; the state
    // (logging or paused) stays as it was.
    std::lock_guard lock(rec->lock);
    if (rec->logState != 0 && rec->logFile) {
      std::fclose(rec->logFile);
      rec->logFile = nullptr;
    }
    read = readWholeFile(textwin::logFileName(n), text);
    if (rec->logState != 0) rec->logFile = appendLogFile(n);
  }
  switch (read) {
    case ReadResult::CannotOpen:
      plat::messageBox({}, "Can't open LOG file!", "Pause");
      return 2;
    case ReadResult::NoMemory:
      plat::setClipboardText("");
      plat::messageBox({}, "No enough memory (copy log)", "Pause");
      return 3;
    case ReadResult::Ok:
      break;
  }
  plat::setClipboardText(text);
  return 0;
}
