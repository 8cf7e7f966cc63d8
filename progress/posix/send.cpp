#include "progress/notifications.h"

LRESULT SendNotification(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return reinterpret_cast<NotificationSink*>(window)->Deliver(message, wParam, lParam);
}
