// The worker thread that runs the user task.
#pragma once

#include "core/core.h"

namespace core {

void setUserTask(UserTask task);
void startWorker();
int workerExitCode();  // plat::kStillActive while it runs
void abandonWorker(int exitCode);
bool workerAbandoned();
void joinWorker();

}  // namespace core
