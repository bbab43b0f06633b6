// Runs the layout source that the window information generated, compiled in as it was
// pasted, and checks that it re-creates the layout it was generated from, down to the
// source it generates in turn.
// Usage: layout_replayed EXPECTED_DESCRIPTION EXPECTED_SOURCE
#include <cstdio>

#include "core/core.h"
#include "layout_description.h"
#include "platform/test.h"

namespace {

void replayLayout() {
#include "generated_layout.inc"
}

bool same(const char* what, const std::string& expected, const std::string& actual) {
  if (expected == actual) return true;
  std::fprintf(stderr, "%s differs.\n--- expected\n%s--- actual\n%s", what, expected.c_str(),
               actual.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s EXPECTED_DESCRIPTION EXPECTED_SOURCE\n", argv[0]);
    return 2;
  }
  return plat::test::runHeadless(argc, argv, [argv] {
    if (!layouttest::startLibrary()) return 1;
    replayLayout();
    const std::string expected = layouttest::readFile(argv[1]);
    if (expected.empty()) return 1;
    const bool layout = same("layout", expected, layouttest::describeLayout());
    const bool source =
        same("generated source", layouttest::readFile(argv[2]), textwin::windowInfoSource());
    layouttest::closeLayout();
    if (layout && source) std::printf("re-created:\n%s", expected.c_str());
    return layout && source ? 0 : 1;
  });
}
