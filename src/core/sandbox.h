// The image sandbox: a user task that builds nothing and starts nothing by itself, so a
// person builds the windows by hand from the main window's menu.
#pragma once

#include "core/core.h"

namespace core {

// No set-up; the main routine (after Start) only keeps the windows alive until Stop.
UserTask sandboxTask();

}  // namespace core
