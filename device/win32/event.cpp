#include "device/event.h"

UniqueEvent CreateAutoResetEvent() { return UniqueEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }

void SignalEvent(HANDLE event) { SetEvent(event); }

void CloseEvent(HANDLE event) { CloseHandle(event); }

WaitOutcome WaitForEvent(HANDLE event, DWORD milliseconds) {
  switch (WaitForSingleObject(event, milliseconds)) {
    case WAIT_OBJECT_0:
      return WaitOutcome::Signalled;
    case WAIT_TIMEOUT:
      return WaitOutcome::TimedOut;
    default:
      return WaitOutcome::Failed;
  }
}

WaitOutcome WaitForEventUnless(HANDLE event, HANDLE stop, DWORD milliseconds) {
  if (stop == nullptr) return WaitForEvent(event, milliseconds);
  // The lowest signalled index wins, so a start that completed is not lost
  // to a cancel that came at the same time.
  const HANDLE both[2] = {event, stop};
  switch (WaitForMultipleObjects(2, both, FALSE, milliseconds)) {
    case WAIT_OBJECT_0:
      return WaitOutcome::Signalled;
    case WAIT_OBJECT_0 + 1:
      return WaitOutcome::Stopped;
    case WAIT_TIMEOUT:
      return WaitOutcome::TimedOut;
    default:
      return WaitOutcome::Failed;
  }
}
