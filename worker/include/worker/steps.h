// The steps of a run after the version gate, on the operations of the
// worker's connected device link. Internal to the worker.
#pragma once

#include "device/device_api.h"
#include "device/rapi_class.h"
#include "worker/worker_context.h"

#include <string>

struct VersionText;
// The handheld's name for the log ("Q58-0012"), or why it is unknown
// ("name unknown: ..."): a key opened for reading, one value read, nothing
// changed. No outcome of this changes the run.
std::string DescribeHandheld(const DeviceApi& api);
// One line naming the handheld beside the version read (null: no version
// file), so that one handheld's attempt can be told from the next.
void LogVersionRead(const std::string& handheld, const char* version) noexcept;

// Reads the installed version from the handheld. False when the version file
// cannot be opened; a file that opens but cannot be read yields the empty text.
bool ReadVersionFile(const DeviceApi& api, VersionText& version);

// Removes the launcher's entry and records the screen's pixel density.
// Silent: no outcome ends the run.
void AdjustRegistry(const DeviceApi& api);

// The memory-card copy (when asked for) and the device install. False when
// the run ended inside a pass, by a failure (already reported) or a cancel.
bool RunTransferPasses(const DeviceApi& api, const WorkerContext& context, WorkerHost& host);

// The code a run reports when the link did not come up. Not asked for
// Connected, nor for Cancelled, which ends silently.
InstallError ConnectError(ConnectResult result);

// The cancel poll, common to every step.
bool CancelRequested(const WorkerContext& context);
