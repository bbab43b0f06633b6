// Text windows: numbered output consoles that print printf-style text line by line
// into an off-screen picture, read typed lines, run the small command console, and the
// window edge snapping that every library window uses while it is dragged.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "base/action.h"
#include "platform/menu.h"
#include "platform/message.h"
#include "platform/surface.h"
#include "platform/types.h"

inline constexpr int kTextWindowCount = 256;
inline constexpr int kColorStackDepth = 8;
inline constexpr int kPrintfBytes = 4096;    // with the NUL: at most 4095 bytes of output
inline constexpr int kInputLineBytes = 256;  // caller buffer of TAV_InputLine, with the NUL
inline constexpr int kInputLineUnits = 255;  // UTF-16 units one typed line may hold
inline constexpr int kKeyQueueSize = 256;
inline constexpr int kWindowEdgeCapacity = 260;

// One text window. Sizes and positions are pixels of the client area.
struct TextWindowRecord {
  std::atomic<int> inUse{0};  // 1 while the window exists; looked up from any thread
  int width = 0;              // client width, also the picture's
  int height = 0;
  int cursorX = 0;                // column where the next character goes
  int cursorY = 0;                // top row of the current line
  int charWidth = 0;              // one cell of the stock font
  int lineHeight = 0;             // one line of the stock font
  uint32_t textColor = 0xFFFFFF;  // 0xRRGGBB
  uint32_t backColor = 0x000000;
  std::array<uint32_t, kColorStackDepth> textColorStack{};  // slot 0 the most recent
  std::array<uint32_t, kColorStackDepth> backColorStack{};
  plat::Window window;
  // The off-screen picture all text is drawn into; painting copies it to the window.
  std::unique_ptr<plat::Surface> picture;
  int logState = 0;  // 0 no log, 1 logging, 2 paused
  std::FILE* logFile = nullptr;
  // Held while the picture or the cursor is used: the window's events run on the
  // thread that owns it, while a line may be read (and echoed) on another.
  std::mutex lock;
};

// 0 opened; 1 it was already open (brought to the front and made current) or n is not
// a window number; 2 no memory for the picture (nothing opened).
// width < 0 means 400, height < 0 means 300, x or y < 0 the platform's own placement.
int TAV_OpenTextWindow(int n, int x, int y, int width, int height);
int TAV_SelectTextWindow(int n);  // 0; 1 when n > 255 or not open
int TAV_CloseTextWindow(int n);   // 0; 1 when n >= 256 or not open
// printf conventions, UTF-8 text; nothing happens while the current window is closed.
void TAV_Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void TAV_PushTextColor(uint32_t back, uint32_t text);
void TAV_PopTextColor();
// The current text window to the front, or text window 0 opened in the screen's middle.
void EnsureTextWindow();
// The lowest open number whose window this is, or -1.
int FindTextWindow(plat::Window window);
// Scrolls window n up by one line when its cursor line would reach the bottom edge:
// 1 scrolled, 0 not (or n not open). The caller invalidates the window.
int ScrollIfNeeded(int n);

// Window edges: the screen strips, image windows, text windows, the boxes and the
// main window, as outer rectangles in screen coordinates, taken when rebuilt.
void RefreshWindowEdges();
// With Ctrl held, moves the proposed outer rectangle so that an edge within 7 pixels of
// a recorded window edge lies on it; the size never changes.
void SnapMovingWindow(plat::Rect& proposed, plat::Window window);

// ------------------------------------------------------------------ line input

// A ring of 256 UTF-16 units filled by the windows' character events and emptied by
// the reader, which may run on another thread; a full ring drops what is put.
class TextKeyQueue {
 public:
  bool put(char16_t unit);    // false when full (the unit is dropped)
  bool take(char16_t& unit);  // false when empty
  bool empty();
  void clear();

 private:
  std::mutex m_;
  std::array<char16_t, kKeyQueueSize> units_{};
  int read_ = -1;  // -1 while empty
  int write_ = 0;
};

inline constexpr int kRequestNone = 0;
inline constexpr int kRequestRecall = 1;  // Up: type the last line again
inline constexpr int kRequestPaste = 2;   // Ctrl+V: the clipboard's first line

// Everything the text window layer shares between its files (textwin::resetTextWindows
// returns it to these start values, with the edge snapshot and the line reader's).
struct TextWindowsState {
  // One record per window number, open or closed.
  std::array<TextWindowRecord, kTextWindowCount> TextWindowTable;
  // The window that printing, line input and the colour stack act on; it may name a
  // closed number, and then they do nothing.
  std::atomic<int> CurrentTextWindow{0};
  // 0 while no line is read, else the reading window's number + 1.
  std::atomic<int> InputOwner{0};
  // Typed characters on their way to the line reader.
  TextKeyQueue KeyQueue;
  // What a key asked the line reader to do besides typing: kRequestNone, kRequestRecall
  // or kRequestPaste.
  std::atomic<int> InputRequest{kRequestNone};
  // The last line entered with Enter, at most 255 units.
  std::u16string LastInputLine;
};
extern TextWindowsState textWindowsState;
// The fields under the names the library uses.
inline constexpr auto& TextWindowTable = textWindowsState.TextWindowTable;
inline constexpr auto& CurrentTextWindow = textWindowsState.CurrentTextWindow;
inline constexpr auto& InputOwner = textWindowsState.InputOwner;
inline constexpr auto& KeyQueue = textWindowsState.KeyQueue;
inline constexpr auto& InputRequest = textWindowsState.InputRequest;
inline constexpr auto& LastInputLine = textWindowsState.LastInputLine;

// Reads one line typed into the current text window into buffer (256 bytes): the line
// in UTF-8, NUL-terminated; "" when cancelled or when no text window is current.
void TAV_InputLine(char* buffer);
// Shows text in the main window's status line, roughly centred in 63 columns.
void StatusLine(const char* text);
// "Cmd>", one line, one command: 0 for a known command, 1 for an invalid one.
int RunConsoleCommand();

// ------------------------------------------------------------------ logs and window information

// Window n's log file, "<start folder>DIREVO<instance><n>.LOG": everything printed into
// the window and every line typed into it while the log is on, line feeds as CR LF.
// 0 started or resumed; 1 already logging; 2 the file cannot be created (a message
// box says so); 3 n >= 256 or window n not open.
int TAV_StartLog(int n);
// 0 paused (or already paused; the file stays open); 1 no log; 2 n > 255 or not open.
int TAV_StopLog(int n);
// Stops every log that is on and closes its file.
void TAV_CloseAllLogs();
// Puts window n's log file, as stored, on the clipboard as text; the log keeps its
// state. 0 copied; 1 clipboard busy; 2 the file cannot be read; 3 out of memory;
// 4 n >= 256 or window n not open.
int CopyLogToClipboard(int n);
// Lists every open library window in text window n (made current) and puts the source
// text that re-creates the present layout on the clipboard.
void GenerateWindowInfo(int n);

namespace textwin {

// Registers "tav_twi"; true when it is registered afterwards.
bool registerTextWindowClass();
// Closes every text window and returns all state of this layer to its start values.
void resetTextWindows();
// Prints the prompt in the current text window (opening one when needed) and returns
// the line read after it, UTF-8.
std::string promptLine(const std::string& prompt);
// The name of window n's log file: start folder, "DIREVO", instance, n, ".LOG".
std::string logFileName(int n);
// The layout source GenerateWindowInfo makes for the present windows (at most 29999
// bytes), without printing or touching the clipboard.
std::string windowInfoSource();
// A text window's actions: its popup menu in order, each entry with the Ctrl key that
// posts its command; run(n) runs it on window n.
using TextAction = action::Row<void (*)(int n)>;
std::span<const TextAction> textWindowActions();
// The popup menu of text window n as it would be shown now.
plat::Menu textWindowMenu(int n);
// A copy of the window edge table, in table order.
std::vector<plat::Rect> windowEdges();
// The window procedure of "tav_twi".
intptr_t textWindowProc(plat::Window window, plat::Message& message);

}  // namespace textwin
