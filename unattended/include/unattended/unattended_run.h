// A revision-up with nobody to ask: the version question is answered as the
// command line says, and no box is shown.
#pragma once

#include "worker/worker_context.h"

struct UnattendedSettings {
  bool memoryCard = true;
  bool acceptNewer = false;
};

// One whole revision-up on this thread, with no window (/quiet). It cannot
// hang: the connection's time limit bounds the wait for the handheld, and
// nothing waits for a user. Returns the exit code.
int RunQuietly(WorkerHost& host, const UnattendedSettings& settings);
