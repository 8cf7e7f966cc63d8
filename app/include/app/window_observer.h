// The worker's reports carried to the progress dialog's thread as window
// messages: sent synchronously, so the worker waits for each handler and
// gets the answer to its question back as the message's result.
#pragma once

#include <windows.h>

#include <optional>

#include "worker/install_observer.h"

// On the worker's thread: each report is one WM_INSTALL_* message sent to
// the dialog. The version question goes as error code 8; a nonzero result is
// Yes.
class WindowObserver final : public InstallObserver {
 public:
  explicit WindowObserver(HWND dialog) : dialog_(dialog) {}

  void OnStage(InstallStage stage) override;
  void OnProgress(int percent, bool copyEnded) override;
  void OnError(InstallError code, const char* version) override;
  bool ConfirmNewerVersion(const char* version) override;

 private:
  HWND dialog_;
};

// On the dialog's thread: hands one WM_INSTALL_* message to `handler` and
// returns the message's result; nothing for any other message.
std::optional<LRESULT> DeliverReport(InstallObserver& handler, UINT message, WPARAM wParam, LPARAM lParam);
