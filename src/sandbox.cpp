// direvo-sandbox: the library with a user task that waits. Image windows, text windows
// and the boxes are built by hand from the main window's menu, pictures are pasted or
// dropped in, and every image and text window command is at hand.
#include "core/sandbox.h"

#include "core/core.h"
#include "platform/app.h"

int main(int argc, char** argv) {
  int code = plat::runApplication(argc, argv, [] { return programEntry(core::sandboxTask()); });
  // An abandoned worker may still hold library state: end without static destructors.
  plat::quickExit(code);
}
