// The panel's geometry as the viewer composes with it, and the keys that tune it while
// the user looks through the lenses.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "compose/fine.h"
#include "compose/panel_profile.h"

namespace viewer {

struct PanelTuning {
  compose::Method method = compose::Method::Fine;
  compose::FineParams
      geometry;  // pitch (negative: the views reversed), slant, offset, order, V, W x H

  compose::PanelProfile profile() const;
  bool operator==(const PanelTuning&) const = default;
};

// Stable and Beta compose at most 1920 x 1240; on a larger panel only fine.
bool methodFits(compose::Method method, const PanelTuning& t);

// What a tuning key does to the geometry. Each row is one key; Shift gives the row
// with the larger step.
enum class Tuning { Pitch, Offset, Slant, Method, Invert, Subpixels };
struct TuningKey {
  char16_t key;  // the character the key types
  Tuning what;
  double step;  // Pitch: times the pitch; Offset: sub-pixels; Slant: sub-pixels a row
};
std::span<const TuningKey> tuningKeys();
const TuningKey* findTuningKey(char16_t key);

// The tuning after `key`; the same tuning when the key changes nothing.
PanelTuning tuned(const PanelTuning& t, const TuningKey& key);

// One line for people: "fine  pitch 17.319  slant 1  offset 0  rgb  8 views  1920 x 1080".
std::string describe(const PanelTuning& t);

// The tuning shared by the thread that composes ahead and the one that shows and
// takes the keys: every change gets a new version, so a frame composed with an older
// one is composed again before it shows.
class SharedTuning {
 public:
  explicit SharedTuning(const PanelTuning& t) : tuning_(t) {}
  struct Snapshot {
    PanelTuning tuning;
    uint64_t version = 0;
  };
  Snapshot get() const;
  void set(const PanelTuning& t);

 private:
  mutable std::mutex mutex_;
  PanelTuning tuning_;
  uint64_t version_ = 1;
};

}  // namespace viewer
