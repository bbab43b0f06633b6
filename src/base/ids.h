// Command and control identifiers of every library window, in one place: the menus,
// the keys that post commands, and the windows that handle them all read them here.
#pragma once

#include "platform/types.h"

namespace ids {

// The main window: its menu bar, its popup menu and its keys.
inline constexpr int kStart = 1001;
inline constexpr int kExit = 1002;
inline constexpr int kStop = 1003;
inline constexpr int kPaste = 1026;
inline constexpr int kImageWindow = 1027;
inline constexpr int kTextWindow = 1028;
inline constexpr int kInputBox = 1044;
inline constexpr int kWindowInfo = 1045;  // also posted to the current text window
inline constexpr int kButtonBox = 1051;
// The main window's status line.
inline constexpr int kStatusLine = 2001;

// Image windows: the two popup menus and the keys that post their commands.
namespace image {
inline constexpr int kLoadFile = 1004;
inline constexpr int kDestroy = 1005;
inline constexpr int kZoom50 = 1007;
inline constexpr int kZoom100 = 1008;
inline constexpr int kZoom200 = 1009;
inline constexpr int kSaveAs = 1010;
inline constexpr int kCut = 1011;
inline constexpr int kCopy = 1012;
inline constexpr int kPaste = 1013;
inline constexpr int kPasteAtOrigin = 1014;  // Ctrl+V only
inline constexpr int kPixel = 1015;
inline constexpr int kLineRgb = 1016;
inline constexpr int kLineHsv = 1017;
inline constexpr int kLineYCrCb = 1018;
inline constexpr int kClipping = 1019;
inline constexpr int kLineCrCb = 1021;
inline constexpr int kAreaCrCb = 1022;
inline constexpr int kColorChange = 1031;
inline constexpr int kLineNormal = 1032;
inline constexpr int kLineHorizontal = 1034;
inline constexpr int kLineVertical = 1035;
inline constexpr int kBoxNormal = 1036;
inline constexpr int kBoxFill = 1037;
inline constexpr int kBoxFillXor = 1038;
inline constexpr int kCircleNormal = 1039;
inline constexpr int kCircleFill = 1040;
inline constexpr int kCircleFillXor = 1041;
inline constexpr int kDrawText = 1042;
inline constexpr int kPaint = 1043;
inline constexpr int kTypedZoom = 1046;
inline constexpr int kTypedResize = 1047;
inline constexpr int kTrueTypeDraw = 1048;
inline constexpr int kFontChange = 1049;
inline constexpr int kColorPick = 1052;
inline constexpr int kPatternRgb = 1053;
inline constexpr int kPatternHsv = 1054;
inline constexpr int kPatternYCrCb = 1055;
inline constexpr int kInvert = 1058;
inline constexpr int kHorizontalFlip = 1059;
inline constexpr int kVerticalFlip = 1060;
inline constexpr int kRightRotate = 1061;
inline constexpr int kLeftRotate = 1062;
inline constexpr int kSize50 = 1063;
inline constexpr int kSize70 = 1064;
inline constexpr int kSize141 = 1065;
inline constexpr int kSize200 = 1066;
inline constexpr int kPatternYuv = 1067;
inline constexpr int kPatternYiq = 1068;
inline constexpr int kLineLuminance = 1070;
inline constexpr int kPatternGrey = 1071;
}  // namespace image

// Text windows: the popup menu, the Ctrl keys and the console's "ver".
namespace text {
inline constexpr int kDestroy = 1006;
inline constexpr int kAbout = 1020;
inline constexpr int kStartLog = 1024;
inline constexpr int kStopLog = 1025;
inline constexpr int kConsole = 1029;
inline constexpr int kCopyLog = 1030;
inline constexpr int kWindowInfo = ids::kWindowInfo;
inline constexpr int kSelect = 1069;
}  // namespace text

// The input box and the button box.
namespace box {
inline constexpr int kInputBoxDestroy = 1023;
inline constexpr int kInputBoxRename = 1056;
inline constexpr int kButtonBoxDestroy = 1050;
inline constexpr int kButtonBoxRename = 1057;
// Button i posts kButtonBase + i; edit field i of the input box is kEditBase + i.
inline constexpr int kButtonBase = 3000;
inline constexpr int kEditBase = 2100;
// What the dialog keys post to a box: Enter and Esc.
inline constexpr int kEnter = 1;
inline constexpr int kEscape = 2;
}  // namespace box

// The kinds of window request the main window hands to the worker.
namespace request {
inline constexpr int kCreateImage = 9001;
inline constexpr int kShowImage = 9002;
inline constexpr int kLoadImage = 9003;
inline constexpr int kPutBitmap = 9004;
inline constexpr int kOpenTextWindow = 9005;
inline constexpr int kOpenInputBox = 9006;
inline constexpr int kOpenButtonBox = 9007;
}  // namespace request

// Keys that every library window hands on to the main window without Ctrl: X and Esc
// exit, S starts and C stops the user task.
inline constexpr int kMainWindowKeys[] = {'X', plat::vk::Escape, 'S', 'C'};
constexpr bool isMainWindowKey(int key) {
  for (int k : kMainWindowKeys)
    if (k == key) return true;
  return false;
}

}  // namespace ids
