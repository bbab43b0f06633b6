// The player: the control panel it lays out at set-up, and the playback loop that
// plays a movie into window 0, runs the button box's commands while paused and
// follows the settings typed into the input box.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "compose/compose_pixels.h"
#include "core/core.h"
#include "movie/movie_capture.h"

namespace app {

inline constexpr int kFrameImage = 0;
inline constexpr int kPlayerButtonCount = 24;
// The buttons the playing loop itself reads; the others run between frames, paused.
inline constexpr int kPauseButton = 1;
inline constexpr int kBreakButton = 11;

// The input box's items, in their order in the box.
enum InputItem { kWidthItem, kHeightItem, kPicNumItem, kViewNumItem, kPitchItem, kInputItemCount };

struct Point2 {
  int left = 0;
  int top = 0;
};

// Where window 0 opens with every movie.
inline constexpr Point2 kFrameWindowPlace{376, 176};

// What the playback loop keeps for the whole run; it survives "break".
struct PlayerState {
  std::unique_ptr<movie::MovieCapture> capture;
  std::string path;  // the last chosen movie, UTF-8
  double frameCount = 0;
  int frameWidth = 0;
  int frameHeight = 0;
  bool paused = false;
  int rangeLeft = 1;
  int rangeRight = 1;
  std::array<int, compose::kMaxViews + 1> viewFrames{};
  Point2 outputPosition{0, 232};
  Point2 framePosition = kFrameWindowPlace;  // where window 0 stood last
  int viewWidth = 0;
  int viewHeight = 0;
  double lastPitch = compose::kDefaultPitch;
  int lastWidth = compose::kDefaultWidth;
  int lastHeight = compose::kDefaultHeight;
  bool needsRebuild = false;
  bool breakRequested = false;  // set by "break": the loop goes back to movie selection
  int composeCount = 0;         // compositions asked for, for the record
};
extern PlayerState player;

// The control panel's buttons by number: the label, and the command run when the
// button was pressed (none for the blank ones and for "pause").
struct PlayerButton {
  const char* label;
  void (*run)();
};
extern const std::array<PlayerButton, kPlayerButtonCount> kPlayerButtons;

// One attempt at opening a movie: the open dialog, then the capture. False (after
// printing why) when the chosen file does not open.
bool trySelectMovie();
// One pass of playing: pump, decode and show the next frame (rewinding at the end),
// then take "pause" and "break" from the button box.
void playStep();
// Runs every latched command in button order, then reads the input box. Stops early
// when a command asked for "break".
void commandPass();
void runCommand(int index);
void readInputBox();
// The Pitch as the input box shows it: 10 significant digits, shortest form (17 where
// 10 would not give the value back).
std::string pitchText(double pitch);
// Converts a decoded frame into window 0 and shows it (nothing while it is closed).
void showFrame(const movie::MovieFrame& frame);
// Decodes the next frame into window 0 and shows it; false when there was none.
bool decodeAndShow();
bool seekAndShow(double frame);
// Window 0, closed by the user, opened again where it stood last.
void ensureFrameWindow();
void makeMultiView(bool rightToLeft);
void lenti();
// Makes window 2, or resizes it, to the work image's size. When no window can show a
// picture that wide, none is left open and one printed line says so: the compositions
// then read the views directly.
void fitWorkWindow();
void breakMovie(bool rememberOutput);
// Composes the output with the current method and counts it.
void composeOutput();
bool imageExists(int number);

// The player's state back to its start values; the movie is released.
void resetPlayer();

}  // namespace app

// The user task as the program hands it to the library.
UserTask playerTask();
void PlayerSetup();
// Plays and runs the commands until Exit, then returns (the worker then ends).
void PlayerMain();
void SetViewFrames(int left, int right);
// Waits about 100 ms, pumping; 1 as soon as Stop was pressed, else 0.
int PauseTick();
