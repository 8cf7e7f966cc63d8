// Auto-reset events: the cancel event between the dialog and the worker, and
// the start event of the remote API. On Windows a HANDLE is a kernel event;
// elsewhere it points to an event object of our own.
#pragma once

#include "base/unique_handle.h"
#include "device/ce_types.h"

// Stopped: the stop event of WaitForEventUnless came first.
enum class WaitOutcome { Signalled, TimedOut, Failed, Stopped };

void SignalEvent(HANDLE event);
void CloseEvent(HANDLE event);
// A zero time limit polls; a poll that sees the signal consumes it.
WaitOutcome WaitForEvent(HANDLE event, DWORD milliseconds);
// Waits for event, or for stop when stop is not null, whichever comes first;
// the signal that ends the wait is consumed. When both are signalled, event
// wins and stop keeps its signal for the next look.
WaitOutcome WaitForEventUnless(HANDLE event, HANDLE stop, DWORD milliseconds);

// Owns an event this program created; null means none.
struct EventTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle event) { CloseEvent(event); }
};
using UniqueEvent = UniqueHandle<EventTraits>;

// Not signalled at first; empty when the system has no event to give.
UniqueEvent CreateAutoResetEvent();
