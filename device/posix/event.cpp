// Auto-reset events for the native build, with the semantics of the Windows
// kernel event that the program uses on Windows.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "device/event.h"

namespace {
// One lock and one condition for every event, so that a wait can watch two
// events at once. The program has a handful of events and two threads.
std::mutex& Guard() {
  static std::mutex guard;
  return guard;
}
std::condition_variable& Changed() {
  static std::condition_variable changed;
  return changed;
}

struct Event {
  bool signalled = false;
};
Event* AsEvent(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? nullptr : static_cast<Event*>(handle);
}

// Consumes the signal of the first signalled event; Failed when none is.
WaitOutcome Take(Event* event, Event* stop) {
  if (event->signalled) {
    event->signalled = false;
    return WaitOutcome::Signalled;
  }
  if (stop != nullptr && stop->signalled) {
    stop->signalled = false;
    return WaitOutcome::Stopped;
  }
  return WaitOutcome::Failed;
}
}  // namespace

UniqueEvent CreateAutoResetEvent() { return UniqueEvent(new Event); }

void SignalEvent(HANDLE handle) {
  Event* event = AsEvent(handle);
  if (event == nullptr) return;
  {
    std::lock_guard lock(Guard());
    event->signalled = true;
  }
  Changed().notify_all();
}

void CloseEvent(HANDLE handle) { delete AsEvent(handle); }

WaitOutcome WaitForEvent(HANDLE handle, DWORD milliseconds) { return WaitForEventUnless(handle, nullptr, milliseconds); }

WaitOutcome WaitForEventUnless(HANDLE handle, HANDLE stopHandle, DWORD milliseconds) {
  Event* event = AsEvent(handle);
  Event* stop = stopHandle == nullptr ? nullptr : AsEvent(stopHandle);
  if (event == nullptr || (stopHandle != nullptr && stop == nullptr)) return WaitOutcome::Failed;
  std::unique_lock lock(Guard());
  // A poll must not touch the timed wait: even a zero limit costs a timer
  // round trip of tens of microseconds, once per chunk.
  if (WaitOutcome seen = Take(event, stop); seen != WaitOutcome::Failed) return seen;
  if (milliseconds == 0) return WaitOutcome::TimedOut;
  if (!Changed().wait_for(lock, std::chrono::milliseconds(milliseconds),
                          [&] { return event->signalled || (stop != nullptr && stop->signalled); }))
    return WaitOutcome::TimedOut;
  return Take(event, stop);
}
