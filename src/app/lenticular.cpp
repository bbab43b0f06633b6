#include "app/lenticular.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"

namespace app {

LenticularState lenticularState;

namespace {
// resetLibrary returns the composition's settings to their start values too.
[[maybe_unused]] const bool resetRegistered = (addLibraryReset(resetLenticular), true);
}  // namespace

compose::LentiParams currentLentiParams() {
  return {Pitch, View_num, Width, Height};
}

namespace {

bool isOpen(int number) {
  return ImageTable[number].inUse != 0;
}
bool is32(int number) {
  return ImageTable[number].bits == 32;
}

bool canBuild() {
  return builtViewCount >= 1 && isOpen(kMultiViewImage) && isOpen(kWorkImage);
}
// Without a work window the compositions read the views through the resampling.
bool readsViews() {
  return !isOpen(kWorkImage);
}
bool canReadViews() {
  return isOpen(kMultiViewImage) && is32(kMultiViewImage);
}
bool canComposeFromWork() {
  return builtViewCount >= 1 && View_num >= 1 && isOpen(kWorkImage) && isOpen(kOutputImage);
}
bool canCompose() {
  if (!readsViews()) return canComposeFromWork();
  return builtViewCount >= 1 && View_num >= 1 && isOpen(kOutputImage) && is32(kOutputImage) &&
         canReadViews();
}

// Coordinates beyond the int range are outside every picture either way.
int toCoordinate(int64_t v) {
  return static_cast<int>(
      std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

compose::PixelBuffer pixelsOf(int number) {
  ImageWindowRecord& rec = ImageTable[number];
  return {reinterpret_cast<uint32_t*>(rec.surface->data()), rec.width, rec.height};
}
compose::ConstPixelBuffer constPixelsOf(int number) {
  const compose::PixelBuffer b = pixelsOf(number);
  return {b.pixels, b.width, b.height};
}

compose::WorkResampling viewsResampling() {
  return {constPixelsOf(kMultiViewImage),
          builtViewWidth,
          builtViewHeight,
          Width,
          Height,
          builtViewCount};
}

// The last selections a pixel-by-pixel run makes; replaying them leaves the current
// image and its history as that run would (only the last nine count).
class SelectionTape {
 public:
  void add(int number, int64_t times) {
    for (int64_t i = 0; i < std::min<int64_t>(times, kKept); ++i) {
      tape_[end_++ % kKept] = number;
    }
  }
  void replay() const {
    const int64_t count = std::min<int64_t>(end_, kKept);
    for (int64_t i = end_ - count; i < end_; ++i) TAV_SelectImage(tape_[i % kKept]);
  }

 private:
  static constexpr int64_t kKept = kSelectionDepth + 1;
  int tape_[kKept] = {};
  int64_t end_ = 0;
};

}  // namespace

void PutDiagonal(int64_t s, uint32_t color, int64_t r) {
  for (int64_t q = 0; q < 3; ++q) {
    const int64_t sub = s + q;
    if (sub < 0) continue;
    const int x = toCoordinate(sub / 3);
    const int y = toCoordinate(3 * r + q);
    const uint32_t mask = 0xFFu << (16 - 8 * (sub % 3));
    const uint32_t pixel = TAV_GetPixel(x, y);
    TAV_PutPixel(x, y, (pixel & ~mask) | (color & mask));
  }
}

void buildWorkImageStraight(int viewWidth, int viewHeight) {
  if (!canBuild()) return;
  const int W = Width;
  const int H = Height;
  const double sx = static_cast<double>(viewWidth) / (3.0 * W);
  const double sy = static_cast<double>(viewHeight) / static_cast<double>(H);
  const int64_t columns = 3 * static_cast<int64_t>(W) * builtViewCount;
  for (int64_t y = 0; y < H; ++y) {
    for (int64_t x = 0; x < columns; ++x) {
      TAV_SelectImage(kMultiViewImage);
      const uint32_t v = TAV_GetPixel(
          toCoordinate(compose::truncToInt64(std::trunc(static_cast<double>(x) * sx))),
          toCoordinate(compose::truncToInt64(std::trunc(static_cast<double>(y) * sy))));
      TAV_SelectImage(kWorkImage);
      TAV_PutPixel(toCoordinate(x), toCoordinate(y), v);
    }
  }
}

void BuildWorkImage(int viewWidth, int viewHeight) {
  // Kept even when there is no work window: the compositions then resample with it.
  builtViewWidth = viewWidth;
  builtViewHeight = viewHeight;
  if (!canBuild()) return;
  if (!is32(kMultiViewImage) || !is32(kWorkImage)) {
    buildWorkImageStraight(viewWidth, viewHeight);
    return;
  }
  compose::buildWorkPixels(constPixelsOf(kMultiViewImage), pixelsOf(kWorkImage), viewWidth,
                           viewHeight, Width, Height, builtViewCount);
  const int64_t columns = 3 * static_cast<int64_t>(std::max(Width, 0)) * builtViewCount;
  const int64_t pixels = Height > 0 ? columns * Height : 0;
  SelectionTape tape;
  for (int64_t i = 0; i < std::min<int64_t>(pixels, 5); ++i) {
    tape.add(kMultiViewImage, 1);
    tape.add(kWorkImage, 1);
  }
  tape.replay();
  if (pixels > 0) PenPosition = {toCoordinate(columns - 1), Height - 1};
}

void composeStableStraight() {
  if (!canComposeFromWork()) return;
  const int V = View_num;
  const double d = Pitch / V;
  const int64_t band = ImageTable[kWorkImage].width / builtViewCount;
  const int64_t groups = std::max(0, Height / 3);
  const int64_t shift = V / 2;
  const int64_t columns = 3 * static_cast<int64_t>(Width);
  double g = d;
  int64_t c = 0;
  bool blend = false;
  double f = 0;

  TAV_SelectImage(kOutputImage);
  const int outWidth = ImageTable[kOutputImage].width;
  const int outHeight = ImageTable[kOutputImage].height;
  for (int y = 0; y < outHeight; ++y) {
    for (int x = 0; x < outWidth; ++x) TAV_PutPixel(x, y, 0);
  }
  // From this stripe on nothing reaches the picture, so the walk ends here even when
  // no further boundary is ever crossed.
  const int64_t end = std::max<int64_t>(0, 3 * static_cast<int64_t>(outWidth) - shift);
  std::vector<uint32_t> prev(static_cast<size_t>(groups));
  while (c < columns) {
    int p = 0;
    while (p < V) {
      if (c >= end) goto done;
      for (int64_t r = 0; r < groups; ++r) {
        TAV_SelectImage(kWorkImage);
        const uint32_t a = TAV_GetPixel(toCoordinate(c + p * band + 3 * r), toCoordinate(3 * r));
        const uint32_t value = blend ? compose::BlendColor(f, a, prev[r]) : a;
        prev[r] = a;
        TAV_SelectImage(kOutputImage);
        PutDiagonal(shift + c + 3 * r, value, r);
      }
      ++c;
      blend = false;
      if (compose::reachesBoundary(c, g)) {
        ++p;
        blend = true;
        f = compose::boundaryFraction(g);
        g += d;
      }
    }
  }
done:
  TAV_ShowImage(kOutputImage);
}

void ComposeStable() {
  if (!canCompose()) return;
  if (!readsViews() && (!is32(kWorkImage) || !is32(kOutputImage))) {
    composeStableStraight();
    return;
  }
  const int64_t stripes =
      readsViews() ? compose::composeStablePixels(viewsResampling(), pixelsOf(kOutputImage),
                                                  currentLentiParams())
                   : compose::composeStablePixels(constPixelsOf(kWorkImage), pixelsOf(kOutputImage),
                                                  currentLentiParams(), builtViewCount);
  const int64_t groups = std::max(0, Height / 3);
  const int64_t steps = stripes * groups;
  SelectionTape tape;
  tape.add(kOutputImage, 1);
  for (int64_t i = 0; i < std::min<int64_t>(steps, 4); ++i) {
    tape.add(kWorkImage, 1);
    tape.add(kOutputImage, 1);
  }
  tape.replay();
  if (steps > 0) {
    const int64_t last = View_num / 2 + (stripes - 1) + 3 * (groups - 1) + 2;
    PenPosition = {toCoordinate(last / 3), toCoordinate(3 * (groups - 1) + 2)};
  } else {
    PenPosition = {ImageTable[kOutputImage].width - 1, ImageTable[kOutputImage].height - 1};
  }
  TAV_ShowImage(kOutputImage);
}

void composeBetaStraight() {
  if (!canComposeFromWork()) return;
  const int V = View_num;
  const int W = Width;
  const int H = Height;
  const double d = Pitch / V;
  const int64_t n = std::max<int64_t>(0, 3 * static_cast<int64_t>(W) + H);
  const int64_t columns = 3 * static_cast<int64_t>(W);
  const int64_t groups = std::max(0, H / 3);

  std::vector<int> view(static_cast<size_t>(n));
  std::vector<bool> mark(static_cast<size_t>(n), false);
  std::vector<double> fraction(static_cast<size_t>(n), 0.0);
  double e = d;
  int v = 0;
  for (int64_t j = 0; j < n; ++j) {
    view[j] = v;
    if (compose::reachesBoundary(j, e)) {
      mark[j] = true;
      fraction[j] = compose::boundaryFraction(e);
      e += d;
      v = v + 1 == V ? 0 : v + 1;
    }
  }

  // Staging rows; A1 has one and A2 two words before their first entry, always 0.
  const size_t room = static_cast<size_t>(std::max<int64_t>(columns, 0)) + 2;
  std::vector<uint32_t> stage0(room, 0), stage1(room, 0), stage2(room, 0);
  uint32_t* A0 = stage0.data();
  uint32_t* A1 = stage1.data() + 1;
  uint32_t* A2 = stage2.data() + 2;
  auto channelOf = [](uint32_t color, int64_t channel) {
    return color & (0xFFu << (16 - 8 * channel));
  };
  bool blend = false;
  double held = 0;
  uint32_t heldColor = 0;
  for (int64_t t = 0; t < groups; ++t) {
    const int64_t y0 = 3 * t;
    const int64_t o = 3 * (groups - t);
    for (int64_t l = 0; l < columns; ++l) {
      TAV_SelectImage(kWorkImage);
      const int64_t vl = view[l + o];
      uint32_t a = TAV_GetPixel(toCoordinate(l + vl * columns), toCoordinate(y0));
      if (blend) {
        a = compose::BlendColor(held, a, heldColor);
        blend = false;
      }
      if (mark[l]) {
        blend = true;
        held = fraction[l];
        heldColor = a;
      }
      A0[l] = channelOf(a, l % 3);
      A1[l] = channelOf(a, (l + 1) % 3);
      A2[l] = channelOf(a, (l + 2) % 3);
    }
    TAV_SelectImage(kOutputImage);
    for (int64_t x = 0; x < W; ++x) {
      const int px = toCoordinate(x);
      TAV_PutPixel(px, toCoordinate(y0), A0[3 * x] | A0[3 * x + 1] | A0[3 * x + 2]);
      TAV_PutPixel(px, toCoordinate(y0 + 1), A1[3 * x - 1] | A1[3 * x] | A1[3 * x + 1]);
      TAV_PutPixel(px, toCoordinate(y0 + 2), A2[3 * x - 2] | A2[3 * x - 1] | A2[3 * x]);
    }
  }
  TAV_ShowImage(kOutputImage);
}

void ComposeBeta() {
  if (!canCompose()) return;
  if (!readsViews() && (!is32(kWorkImage) || !is32(kOutputImage))) {
    composeBetaStraight();
    return;
  }
  if (readsViews()) {
    compose::composeBetaPixels(viewsResampling(), pixelsOf(kOutputImage), currentLentiParams());
  } else {
    compose::composeBetaPixels(constPixelsOf(kWorkImage), pixelsOf(kOutputImage),
                               currentLentiParams());
  }
  const int64_t groups = std::max(0, Height / 3);
  const int64_t columns = 3 * static_cast<int64_t>(std::max(Width, 0));
  SelectionTape tape;
  for (int64_t t = std::max<int64_t>(0, groups - kSelectionDepth - 1); t < groups; ++t) {
    tape.add(kWorkImage, columns);
    tape.add(kOutputImage, 1);
  }
  tape.replay();
  if (groups > 0 && Width > 0) PenPosition = {Width - 1, toCoordinate(3 * groups - 1)};
  TAV_ShowImage(kOutputImage);
}

void compose() {
  if (betaMode) {
    ComposeBeta();
  } else {
    ComposeStable();
  }
}

void resetLenticular() {
  lenticularState = LenticularState{};
}

}  // namespace app
