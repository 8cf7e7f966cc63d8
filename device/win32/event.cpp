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
