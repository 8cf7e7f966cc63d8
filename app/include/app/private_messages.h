// Window messages the program sends and posts to itself.
#pragma once

#include <windows.h>

// The worker's reports to the progress dialog, sent from the worker thread
// and answered on the dialog's (see window_observer.h).
constexpr UINT WM_INSTALL_STAGE = WM_USER + 100;     // wParam: InstallStage
constexpr UINT WM_INSTALL_ERROR = WM_USER + 101;     // wParam: InstallError; lParam: version text (7, 8)
constexpr UINT WM_INSTALL_PROGRESS = WM_USER + 102;  // wParam: percentage; lParam: 1 when the copy ended

// Posted by the worker thread around the connect wait: wParam 1 shows the
// busy cursor over the program's windows, 0 takes it away. Posted, not sent,
// so the worker never waits for the user-interface thread here.
constexpr UINT WM_APP_WORKER_BUSY = WM_APP + 1;
