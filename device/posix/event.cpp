// Auto-reset events for the native build, with the semantics of the Windows
// kernel event that the program uses on Windows.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "device/event.h"

namespace {
struct Event {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
};
Event* AsEvent(HANDLE handle) { return static_cast<Event*>(handle); }
}  // namespace

UniqueEvent CreateAutoResetEvent() { return UniqueEvent(new Event); }

void SignalEvent(HANDLE handle) {
  Event* event = AsEvent(handle);
  {
    std::lock_guard lock(event->mutex);
    event->signalled = true;
  }
  event->changed.notify_one();
}

void CloseEvent(HANDLE handle) { delete AsEvent(handle); }

WaitOutcome WaitForEvent(HANDLE handle, DWORD milliseconds) {
  Event* event = AsEvent(handle);
  if (event == nullptr || handle == INVALID_HANDLE_VALUE) return WaitOutcome::Failed;
  std::unique_lock lock(event->mutex);
  // A poll must not touch the timed wait: even a zero limit costs a timer
  // round trip of tens of microseconds, once per chunk.
  if (milliseconds == 0 && !event->signalled) return WaitOutcome::TimedOut;
  if (!event->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return event->signalled; }))
    return WaitOutcome::TimedOut;
  event->signalled = false;
  return WaitOutcome::Signalled;
}
