// The main window's procedure and the thread that owns it (its handle: mainWindowHandle()).
#pragma once

#include <cstdint>

#include "platform/message.h"

namespace core {

intptr_t mainWindowProc(plat::Window w, plat::Message& m);
// Whether the caller runs on the thread that owns the main window.
bool onMainWindowThread();
int mainWindowColorDepth();
void resetMainWindow();

}  // namespace core
