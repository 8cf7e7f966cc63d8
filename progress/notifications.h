// The three notifications through which the worker drives the progress
// dialog, and the codes they carry.
#pragma once

#include "device/ce_types.h"

constexpr UINT WM_INSTALL_STAGE = WM_USER + 100;     // wParam: InstallStage
constexpr UINT WM_INSTALL_ERROR = WM_USER + 101;     // wParam: InstallError; lParam: version text (7, 8)
constexpr UINT WM_INSTALL_PROGRESS = WM_USER + 102;  // wParam: percentage; lParam: 1 when the copy ended

enum InstallStage : WPARAM {
  kStageReadingDevice = 0,
  kStageCardCopy = 1,
  kStageDeviceInstall = 2,
  kStageFinished = 3,
};

enum InstallError : WPARAM {
  kErrorNotInitialised = 1,
  kErrorConnectFailed = 2,
  kErrorNotConnected = 3,
  kErrorNotQ58 = 4,  // has a box ready; no check of the model is made
  kErrorNotInstalled = 6,
  kErrorVersionTooOld = 7,
  kErrorVersionNewer = 8,  // a question: the handler returns 1 for Yes
  kErrorInstallCreate = 11,
  kErrorWrite = 12,
  kErrorCardCreate = 13,
};

// Sends a notification synchronously and returns the handler's result. On
// Windows it is SendMessageW to the dialog; natively the window is a sink.
LRESULT SendNotification(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#ifndef _WIN32
class NotificationSink {
 public:
  virtual LRESULT Deliver(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~NotificationSink() = default;
};
inline HWND AsWindow(NotificationSink* sink) { return reinterpret_cast<HWND>(sink); }
#endif
