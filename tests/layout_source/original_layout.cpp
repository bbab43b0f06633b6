// Builds a layout with every kind of library window, then writes the layout source the
// window information generates for it and a description of the layout itself.
// Usage: layout_original SOURCE_OUT DESCRIPTION_OUT
#include <cstdio>

#include "layout_description.h"
#include "platform/test.h"

namespace {

void buildLayout() {
  TAV_CreateImage(0, "frame", 10, 20, 160, 120, 100);
  TAV_CreateImageFL(1, "multi view", 200, 20, 64, 48, 200);
  TAV_CreateImage8(4, "grey", 360, 20, 240, 180, 50);
  TAV_CreateImage8FL(9, "日本語", 500, 20, 300, 40, 100);
  TAV_OpenTextWindow(0, 216, 300, 152, 469);
  TAV_OpenTextWindow(5, 400, 300, 300, 200);
  TAV_OpenInputBox(800, 40, 3);
  TAV_ResizeInputBox(90, 60);
  TAV_SetInputBoxTitle(0, "Width");
  TAV_SetInputBoxTitle(1, "Height");
  TAV_SetInputBoxTitle(2, "幅");
  TAV_OpenButtonBox(800, 300, 3, 2);
  TAV_ResizeButtonBox(330, 70);
  TAV_SetButtonBoxTitle(0, "play\nfast");
  TAV_SetButtonBoxTitle(1, "pause");
  TAV_SetButtonBoxTitle(5, "");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SOURCE_OUT DESCRIPTION_OUT\n", argv[0]);
    return 2;
  }
  return plat::test::runHeadless(argc, argv, [argv] {
    if (!layouttest::startLibrary()) return 1;
    buildLayout();
    const bool written = layouttest::writeFile(argv[1], textwin::windowInfoSource()) &&
                         layouttest::writeFile(argv[2], layouttest::describeLayout());
    layouttest::closeLayout();
    return written ? 0 : 1;
  });
}
