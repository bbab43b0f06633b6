// What two programs compare to show that generated layout source re-creates a layout:
// every open window's number, kind, position, size, zoom and labels, one per line.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "base/services.h"
#include "boxes/boxes.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "platform/window.h"
#include "textwin/textwin.h"

namespace layouttest {

inline std::string rectText(const plat::Rect& r) {
  std::ostringstream s;
  s << r.left << ',' << r.top << ' ' << r.width() << 'x' << r.height();
  return s.str();
}

inline std::string describeLayout() {
  std::ostringstream s;
  for (int i = 0; i < kImageWindowCount; ++i) {
    const ImageWindowRecord& rec = ImageTable[i];
    if (!rec.inUse) continue;
    s << "image " << i << " bits " << rec.bits << " mode " << rec.sizeLimitMode << " at "
      << rectText(plat::getWindowRect(rec.window)) << " pixels " << rec.width << 'x' << rec.height
      << " zoom " << rec.zoom << " title '" << rec.title << "'\n";
  }
  for (int k = 0; k < kTextWindowCount; ++k) {
    const TextWindowRecord& rec = TextWindowTable[k];
    if (!rec.inUse) continue;
    s << "text " << k << " at " << rectText(plat::getWindowRect(rec.window)) << " client "
      << rec.width << 'x' << rec.height << '\n';
  }
  const BoxesLayout b = boxes::layout();
  if (b.inputBoxOpen) {
    s << "input box at " << rectText(b.inputBoxRect) << " items " << b.itemCount << " sizes "
      << b.labelWidth << ',' << b.editWidth << '\n';
    for (const std::string& label : b.itemLabels) s << "  item '" << label << "'\n";
  }
  if (b.buttonBoxOpen) {
    s << "button box at " << rectText(b.buttonBoxRect) << " grid " << b.columns << 'x' << b.rows
      << " client " << b.clientWidth << 'x' << b.clientHeight << '\n';
    for (const std::string& label : b.buttonLabels) s << "  button '" << label << "'\n";
  }
  return s.str();
}

// The library as the program sets it up, without a main window.
inline bool startLibrary() {
  resetLibraryTables();
  return registerLibraryClasses();
}

// Closes every window the layout opened, so the program ends owning nothing.
inline void closeLayout() {
  for (int i = 0; i < kImageWindowCount; ++i) {
    if (ImageTable[i].inUse) TAV_DestroyImage(i);
  }
  for (int k = 0; k < kTextWindowCount; ++k) {
    if (TextWindowTable[k].inUse) TAV_CloseTextWindow(k);
  }
  DestroyInputBox();
  DestroyButtonBox();
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace layouttest
