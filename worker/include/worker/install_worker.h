// One revision-up from connect to the installer start, reported only to the
// context's observer. Returns 0 on every path.
#pragma once

#include "worker/worker_context.h"

DWORD InstallWorker(const WorkerContext& context, WorkerHost& host);
