// Shows the hourglass for the life of the object and then restores whatever
// cursor was showing. Windows that answer WM_SETCURSOR themselves should also
// keep returning the wait cursor meanwhile, or the next mouse move resets it.
#pragma once

#include <windows.h>

class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};
