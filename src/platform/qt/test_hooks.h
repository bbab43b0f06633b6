// Where the platform asks the test seams whether an answer is waiting.
#pragma once

#include "platform/menu.h"

namespace plat::qt {

// Records the menu; true with the chosen identifier when a test queued an answer.
bool takeMenuAnswer(const Menu& m, int* chosen);
// The screen size a test pinned, or false.
bool pinnedScreenSize(int* width, int* height);

}  // namespace plat::qt
