// Auto-reset events: the cancel event between the dialog and the worker, and
// the start event of the remote API. On Windows a HANDLE is a kernel event;
// elsewhere it points to an event object of our own.
#pragma once

#include <utility>

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
class UniqueEvent {
 public:
  UniqueEvent() = default;
  explicit UniqueEvent(HANDLE event) : event_(event) {}
  UniqueEvent(UniqueEvent&& other) noexcept : event_(std::exchange(other.event_, nullptr)) {}
  UniqueEvent& operator=(UniqueEvent&& other) noexcept {
    if (this != &other) reset(std::exchange(other.event_, nullptr));
    return *this;
  }
  UniqueEvent(const UniqueEvent&) = delete;
  UniqueEvent& operator=(const UniqueEvent&) = delete;
  ~UniqueEvent() { reset(); }

  HANDLE get() const { return event_; }
  explicit operator bool() const { return event_ != nullptr; }
  void reset(HANDLE event = nullptr) {
    HANDLE old = std::exchange(event_, event);
    if (old != nullptr) CloseEvent(old);
  }

 private:
  HANDLE event_ = nullptr;
};

// Not signalled at first; empty when the system has no event to give.
UniqueEvent CreateAutoResetEvent();
