// One revision-up from connect to the installer start, reported to the
// progress dialog only through notifications. Returns 0 on every path.
#pragma once

#include "worker/worker_context.h"

DWORD InstallWorker(const WorkerContext& context, WorkerHost& host);
