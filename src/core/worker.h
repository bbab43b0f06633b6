// The worker thread that runs the user task.
#pragma once

#include "core/core.h"

namespace core {

void SetUserTask(UserTask task);
void StartWorker();
int WorkerExitCode();  // plat::kStillActive while it runs
void AbandonWorker(int exitCode);
bool WorkerAbandoned();
void JoinWorker();

}  // namespace core
