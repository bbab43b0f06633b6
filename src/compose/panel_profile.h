// A panel profile: one panel's geometry and composition settings in a small TOML file,
// written once and read by every program that composes for that panel.
//
//   width = 3840          # output pixels per row
//   height = 2160         # output rows
//   pitch = 19.6          # sub-pixel columns per lens; negative reverses the views
//   slant = 0.3333        # sub-pixel columns the lenses move right per row down
//   offset = 0            # sub-pixel columns the lens pattern starts to the right
//   subpixels = "rgb"     # the panel's sub-pixels from the left: "rgb" or "bgr"
//   views = 8
//   method = "fine"       # "stable", "beta" or "fine"
//
// Every key may be left out; a program takes its own default for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "compose/fine.h"

namespace compose {

enum class Method { Stable, Beta, Fine };

struct PanelProfile {
  std::optional<int> width, height, views;
  std::optional<double> pitch, slant, offset;
  std::optional<SubpixelOrder> subpixels;
  std::optional<Method> method;

  bool operator==(const PanelProfile&) const = default;
};

// The profile in `text`, or why it is refused: one line that names the line and the key
// ("line 3: pitch must be a finite number other than 0 (got inf)").
struct PanelProfileReading {
  PanelProfile profile;
  std::string refusal;  // empty when the profile was read

  bool ok() const { return refusal.empty(); }
};
PanelProfileReading parsePanelProfile(std::string_view text);

// The profile as TOML, the keys that are set in the order above; numbers in the fewest
// digits that read back to the same value.
std::string formatPanelProfile(const PanelProfile& profile);

// The profile in the file at `path`; the refusal then begins with the path
// ("panel.toml: line 3: ...") or says why the file cannot be read.
PanelProfileReading readPanelProfileFile(const std::string& path);

// Writes the profile to `path` whole or not at all, making its folder if need be; the
// reason when it cannot, else empty.
std::string writePanelProfileFile(const std::string& path, const PanelProfile& profile);

// Where `--panel default` is: $XDG_CONFIG_HOME/direvo/panel.toml, or
// $HOME/.config/direvo/panel.toml when XDG_CONFIG_HOME is unset or empty. Empty when
// neither variable is set.
std::string defaultPanelProfilePath();

const char* methodName(Method m);
const char* subpixelOrderName(SubpixelOrder order);

}  // namespace compose
