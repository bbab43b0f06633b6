// The main window's procedure and handle.
#pragma once

#include <cstdint>

#include "platform/message.h"

namespace core {

intptr_t MainWindowProc(plat::Window w, plat::Message& m);
plat::Window MainWindow();
int MainWindowColorDepth();
void ResetMainWindow();

}  // namespace core
