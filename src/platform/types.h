// Basic value types and constants of the window system stand-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Edges are left/top inclusive, right/bottom exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect united(const Rect& o) const;
  Rect intersected(const Rect& o) const;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A window handle: a slot index and the generation of the window in that slot,
// so that a handle of a destroyed window never matches a later one.
struct Window {
  uint32_t slot = 0;
  uint32_t generation = 0;
  explicit operator bool() const { return generation != 0; }
  friend bool operator==(const Window&, const Window&) = default;
};

// The platform's default position for a coordinate (a cascade of its own). Not -1:
// a window can be asked to stand at exactly -1, one pixel off the screen's edge.
inline constexpr int kDefaultPosition = INT32_MIN;

// Fixed frame metrics of every top-level window.
inline constexpr int kFrameWidth = 4;       // SM_CXFRAME, SM_CYFRAME
inline constexpr int kCaptionHeight = 19;   // SM_CYCAPTION
inline constexpr int kMinTrackWidth = 112;  // SM_CXMIN
inline constexpr int kMinTrackHeight = 27;  // SM_CYMIN
inline constexpr int kMenuBarHeight = 19;

enum class Metric { CxFrame, CyFrame, CyCaption, CxMin, CyMin, CxScreen, CyScreen, CyMenu };
int systemMetric(Metric m);
// The display's colour depth as the bits one pixel takes (32 on a true-colour display
// of depth 24): the X server's own figure on X11, else storedBitsPerPixel of its depth.
int displayColorDepth();
// The bits a pixel of `depth` significant bits is stored in: the depth rounded up to a
// power of two, at most 32 (24 gives 32, 15 gives 16); 0 for an unknown depth.
int storedBitsPerPixel(int depth);

// How a stretch fills its destination: the nearest source pixel, or the area average.
// The numbers are the library's own, so they compare with the ints callers pass.
enum StretchMode : int { kColorOnColor = 3, kHalftone = 4 };

// Virtual-key codes, the numbers the library logic compares against.
namespace vk {
inline constexpr int Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11,
                     Menu = 0x12, Escape = 0x1B, Space = 0x20, Prior = 0x21, Next = 0x22,
                     End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28,
                     Insert = 0x2D, Delete = 0x2E, Numpad0 = 0x60, Multiply = 0x6A, Add = 0x6B,
                     Subtract = 0x6D, Decimal = 0x6E, Divide = 0x6F, OemPlus = 0xBB,
                     OemMinus = 0xBD;
// The function keys, F1 to F12 in order.
inline constexpr int F1 = 0x70, F2 = 0x71, F3 = 0x72, F4 = 0x73, F5 = 0x74, F6 = 0x75, F7 = 0x76,
                     F8 = 0x77, F9 = 0x78, F10 = 0x79, F11 = 0x7A, F12 = 0x7B;
}  // namespace vk

// Notification codes of edit controls, carried in Message::notifyCode.
inline constexpr int kEditSetFocus = 0x0100;
inline constexpr int kEditKillFocus = 0x0200;
inline constexpr int kEditChange = 0x0300;

// Hit-test codes of the non-client area, carried by NcRButtonDown.
enum class Hit {
  Nowhere,
  Client,
  Caption,
  Close,
  Left,
  Right,
  Top,
  Bottom,
  TopLeft,
  TopRight,
  BottomLeft,
  BottomRight
};

// The sides of the outer rectangle that dragging this part of the frame moves: one
// side or two for a sizing edge or corner, all four for the caption, none elsewhere.
struct MovedSides {
  bool left = false, top = false, right = false, bottom = false;
  bool any() const { return left || top || right || bottom; }
};
MovedSides sidesMovedBy(Hit grabbed);

// Window texts are UTF-8 at this interface and UTF-16 inside Qt.
using Utf8 = std::string;

}  // namespace plat
