// Any bytes as a panel profile: reading must refuse or succeed, never crash or run
// away, and what it reads must be written back to a profile that reads the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "compose/panel_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const compose::PanelProfileReading reading = compose::parsePanelProfile(text);
  if (!reading.ok()) {
    if (reading.refusal.rfind("line ", 0) != 0) std::abort();  // every refusal names its line
    return 0;
  }
  const compose::PanelProfileReading again =
      compose::parsePanelProfile(compose::formatPanelProfile(reading.profile));
  if (!again.ok() || !(again.profile == reading.profile)) std::abort();
  return 0;
}
