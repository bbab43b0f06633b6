// The main window's procedure and handle.
#pragma once

#include <cstdint>

#include "platform/message.h"

namespace core {

intptr_t mainWindowProc(plat::Window w, plat::Message& m);
plat::Window mainWindow();
// Whether the caller runs on the thread that owns the main window.
bool onMainWindowThread();
int mainWindowColorDepth();
void resetMainWindow();

}  // namespace core
