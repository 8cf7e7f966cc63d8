// The steps of a run after the version gate, on the operations of the
// worker's connected device link. Internal to the worker.
#pragma once

#include "device/device_api.h"
#include "worker/worker_context.h"

struct VersionText;
// Reads the installed version from the handheld. False when the version file
// cannot be opened; a file that opens but cannot be read yields the empty text.
bool ReadVersionFile(const DeviceApi& api, VersionText& version);

// Removes the launcher's entry and records the screen's pixel density.
// Silent: no outcome ends the run.
void AdjustRegistry(const DeviceApi& api);

// The memory-card copy (when asked for) and the device install. False when
// the run ended inside a pass, by a failure (already reported) or a cancel.
bool RunTransferPasses(const DeviceApi& api, const WorkerContext& context, WorkerHost& host);

// The cancel poll, common to every step.
bool CancelRequested(const WorkerContext& context);
