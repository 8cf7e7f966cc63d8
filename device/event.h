// Auto-reset events: the cancel event between the dialog and the worker, and
// the start event of the remote API. On Windows a HANDLE is a kernel event;
// elsewhere it points to an event object of our own.
#pragma once

#include "device/ce_types.h"

enum class WaitOutcome { Signalled, TimedOut, Failed };

HANDLE CreateAutoResetEvent();
void SignalEvent(HANDLE event);
void CloseEvent(HANDLE event);
// A zero time limit polls; a poll that sees the signal consumes it.
WaitOutcome WaitForEvent(HANDLE event, DWORD milliseconds);
