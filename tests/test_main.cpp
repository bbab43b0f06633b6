// The test programs' entry: GoogleTest on the program thread, Qt on the main thread.
#include <gtest/gtest.h>

#include "platform/test.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return plat::test::runHeadless(argc, argv, [] { return RUN_ALL_TESTS(); });
}
