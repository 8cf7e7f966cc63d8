// The progress dialog of one revision-up attempt. It owns the worker thread
// and the cancel event, shows what the worker reports, and never lets its
// window go while the worker still runs.
#pragma once

#include <optional>

#include "app/modal_dialog.h"
#include "app/system_worker_host.h"
#include "app/unique_handle.h"
#include "app/window_observer.h"
#include "device/event.h"
#include "progress/progress_controller.h"
#include "unattended/run_outcome.h"
#include "unattended/unattended_run.h"

class InstCabDlg final : public ModalDialog, private ProgressView {
 public:
  // parent: the main dialog, whose memory-card option is read at start.
  explicit InstCabDlg(HWND parent);
  // With no main dialog and no box (/passive): the memory-card option and
  // the answer to the version question are given.
  explicit InstCabDlg(const UnattendedSettings& settings);
  ~InstCabDlg() override;

  // True while the worker waits for the connection or a cancel waits for
  // the worker: the busy cursor shows over the program's windows.
  bool busy() const { return workerBusy_ || cancelling_; }
  // How the attempt ended, once the modal run has returned.
  const RunOutcome& outcome() const { return recorder_.outcome(); }

 protected:
  BOOL OnInitDialog() override;
  // The dialog has no OK button; Enter must not end an attempt.
  void OnOK() override {}
  void OnCancel() override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnUnexpectedError() override;

 private:
  bool StartWorker();
  void JoinWorker();
  void StopWorker();
  static DWORD WINAPI WorkerMain(LPVOID self);

  // ProgressView, driven by the controller on this thread.
  void SetStatus(const std::string& text) override;
  void SetTitle(const std::string& text) override;
  void SetBar(int position) override;
  void EnableCancel(bool enabled) override;
  BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxKind kind) override;
  void End(int result) override;
  std::string DisplayVersion(const char* raw) override;

  std::optional<UnattendedSettings> unattended_;
  std::optional<UnattendedView> silent_;  // the view of an attempt without boxes
  ProgressController controller_;
  OutcomeRecorder recorder_{controller_};
  std::optional<SystemWorkerHost> host_;
  std::optional<WindowObserver> observer_;
  WorkerContext context_{};
  DWORD memoryCard_ = 0;
  UniqueEvent cancelEvent_;
  UniqueKernelHandle worker_;
  bool cancelling_ = false;
  bool workerBusy_ = false;
};

// Points the cursor of whatever window of this thread lies under it at the
// current busy state, without waiting for the next mouse move.
void RefreshCursor();
