#include "progress/notifications.h"

LRESULT SendNotification(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(window, message, wParam, lParam);
}
