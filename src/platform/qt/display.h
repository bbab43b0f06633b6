// The display thread: where every Qt object lives. Client threads hand it work here.
#pragma once

#include <functional>

namespace plat::qt {

bool isDisplayThread();
// Runs fn on the display thread and waits until it has run (directly when called there).
void runOnDisplay(const std::function<void()>& fn);
// Queues fn for the display thread and returns at once.
void postToDisplay(std::function<void()> fn);
// A platform call made by an abandoned thread never returns.
void blockIfAbandoned();

}  // namespace plat::qt
