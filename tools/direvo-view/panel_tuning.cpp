#include "panel_tuning.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace viewer {

using compose::Method;

compose::PanelProfile PanelTuning::profile() const {
  const compose::FineParams& g = geometry;
  return {g.width, g.height, g.views, g.pitch, g.slant, g.offset, g.order, method};
}

bool methodFits(Method method, const PanelTuning& t) {
  return method == Method::Fine ||
         (t.geometry.width <= compose::kMaxWidth && t.geometry.height <= compose::kMaxHeight);
}

namespace {

// Lower case steps by one; the same key with Shift (its upper character on a US
// keyboard) steps ten times as far.
constexpr std::array<TuningKey, 15> kTuningKeys{{
    {u'[', Tuning::Pitch, -0.001},
    {u']', Tuning::Pitch, +0.001},
    {u'{', Tuning::Pitch, -0.01},
    {u'}', Tuning::Pitch, +0.01},
    {u',', Tuning::Offset, -0.1},
    {u'.', Tuning::Offset, +0.1},
    {u'<', Tuning::Offset, -1},
    {u'>', Tuning::Offset, +1},
    {u';', Tuning::Slant, -0.001},
    {u'\'', Tuning::Slant, +0.001},
    {u':', Tuning::Slant, -0.01},
    {u'"', Tuning::Slant, +0.01},
    {u'm', Tuning::Method, 0},
    {u'i', Tuning::Invert, 0},
    {u'b', Tuning::Subpixels, 0},
}};

Method nextMethod(Method m) {
  switch (m) {
    case Method::Fine:
      return Method::Stable;
    case Method::Stable:
      return Method::Beta;
    case Method::Beta:
      break;
  }
  return Method::Fine;
}

}  // namespace

std::span<const TuningKey> tuningKeys() {
  return kTuningKeys;
}

const TuningKey* findTuningKey(char16_t key) {
  for (const TuningKey& row : kTuningKeys) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

PanelTuning tuned(const PanelTuning& t, const TuningKey& key) {
  PanelTuning n = t;
  compose::FineParams& g = n.geometry;
  switch (key.what) {
    case Tuning::Pitch:
      // A share of the pitch itself: the same share of a lens on any panel, and the
      // same way (wider or narrower) whichever way the views run.
      g.pitch += key.step * std::abs(g.pitch);
      break;
    case Tuning::Offset:
      g.offset += key.step;
      break;
    case Tuning::Slant:
      g.slant += key.step;
      break;
    case Tuning::Method:
      do {
        n.method = nextMethod(n.method);
      } while (!methodFits(n.method, n));
      break;
    case Tuning::Invert:
      g.pitch = -g.pitch;
      break;
    case Tuning::Subpixels:
      g.order = g.order == compose::SubpixelOrder::Rgb ? compose::SubpixelOrder::Bgr
                                                       : compose::SubpixelOrder::Rgb;
      break;
  }
  return n;
}

std::string describe(const PanelTuning& t) {
  const compose::FineParams& g = t.geometry;
  char line[200];
  std::snprintf(line, sizeof line, "%s  pitch %.6g  slant %.6g  offset %.6g  %s  %d views  %d x %d",
                compose::methodName(t.method), g.pitch, g.slant, g.offset,
                compose::subpixelOrderName(g.order), g.views, g.width, g.height);
  return line;
}

SharedTuning::Snapshot SharedTuning::get() const {
  std::lock_guard lock(mutex_);
  return {tuning_, version_};
}

void SharedTuning::set(const PanelTuning& t) {
  std::lock_guard lock(mutex_);
  if (t == tuning_) return;
  tuning_ = t;
  ++version_;
}

}  // namespace viewer
