// Where printing and line input meet a text window's log file.
#include "textwin/internal.h"

namespace textwin {

void writeLog(TextWindowRecord& rec, std::string_view bytes) {
  if (rec.logState != 1 || !rec.logFile || bytes.empty()) return;
  std::fwrite(bytes.data(), 1, bytes.size(), rec.logFile);
}

void closeLog(TextWindowRecord& rec) {
  if (rec.logState != 0 && rec.logFile) std::fclose(rec.logFile);
  rec.logFile = nullptr;
  rec.logState = 0;
}

}  // namespace textwin

void TAV_CloseAllLogs() {
  for (TextWindowRecord& rec : TextWindowTable) {
    if (!rec.inUse) continue;
    std::lock_guard lock(rec.lock);
    textwin::closeLog(rec);
  }
}
