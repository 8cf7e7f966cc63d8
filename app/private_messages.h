// Window messages the program posts to itself, beside the worker's three
// notifications (WM_USER + 100 to 102).
#pragma once

#include <windows.h>

// Posted by the worker thread around the connect wait: wParam 1 shows the
// busy cursor over the program's windows, 0 takes it away. Posted, not sent,
// so the worker never waits for the user-interface thread here.
constexpr UINT WM_APP_WORKER_BUSY = WM_APP + 1;
