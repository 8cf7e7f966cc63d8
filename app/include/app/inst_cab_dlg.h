// The progress dialog's window: it shows what the attempt reports, hands the
// worker's messages and the user's Cancel to it, and never lets its window
// go while the worker still runs.
#pragma once

#include <optional>

#include "app/modal_dialog.h"
#include "app/system_worker_host.h"
#include "app/window_observer.h"
#include "app/worker_thread.h"
#include "attempt/attempt.h"
#include "unattended/unattended_run.h"

class InstCabDlg final : public ModalDialog, private ProgressView {
 public:
  // parent: the main dialog, whose memory-card option is read at start.
  explicit InstCabDlg(HWND parent);
  // With no main dialog and no box (/passive): the memory-card option and
  // the answer to the version question are given.
  explicit InstCabDlg(const UnattendedSettings& settings);

  // True while the worker waits for the connection or a cancel waits for
  // the worker: the busy cursor shows over the program's windows.
  bool busy() const { return workerBusy_ || attempt_.cancelling(); }
  // The exit code of the attempt, once the modal run has returned.
  int exitCode() const { return attempt_.exitCode(); }

 protected:
  BOOL OnInitDialog() override;
  // The dialog has no OK button; Enter must not end an attempt.
  void OnOK() override {}
  void OnCancel() override { attempt_.Cancel(); }
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnUnexpectedError() override { attempt_.Abandon(); }

 private:
  // ProgressView, driven by the attempt on this thread.
  void SetStatus(const std::string& text) override;
  void SetTitle(const std::string& text) override;
  void SetBar(int position) override;
  void EnableCancel(bool enabled) override;
  BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxKind kind) override;
  void End(int result) override;
  std::string DisplayVersion(const char* raw) override;

  std::optional<bool> memoryCard_;  // given for /passive; else read from the main dialog
  // The worker's thread, its platform and its way to this window outlive
  // the attempt, which waits for the worker's end as it goes.
  WorkerThread thread_;
  std::optional<SystemWorkerHost> host_;
  std::optional<WindowObserver> observer_;
  Attempt attempt_;
  bool workerBusy_ = false;
};

// Points the cursor of whatever window of this thread lies under it at the
// current busy state, without waiting for the next mouse move.
void RefreshCursor();
