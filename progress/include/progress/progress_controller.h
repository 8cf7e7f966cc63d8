// The progress dialog's handlers, free of any window: each report of the
// worker becomes calls on a view. The dialog calls them on its own thread
// for the worker, which waits meanwhile; tests may call them on the worker's.
#pragma once

#include <initializer_list>
#include <string>

#include "progress/progress_view.h"
#include "worker/install_observer.h"

class ProgressController final : public InstallObserver {
 public:
  explicit ProgressController(ProgressView& view) : view_(view) {}

  // Stages 0 to 2 set the status and the title, stage 3 shows the completion
  // box; others are ignored.
  void OnStage(InstallStage stage) override;
  // The bar and the title change only when the percentage does; the Cancel
  // button follows every report.
  void OnProgress(int percent, bool copyEnded) override;
  // One box (none for a code without a message), then the dialog ends with 2.
  // The question's code is handled as the question, its answer dropped.
  void OnError(InstallError code, const char* version) override;
  // True only when the user answers Yes; the dialog then stays open.
  bool ConfirmNewerVersion(const char* version) override;

  // After a cancel, or once the dialog has ended, reports that are still on
  // their way are answered at once, with no reaction: the dialog may be
  // waiting for the worker, and the user asked for nothing more.
  void BeginCancel() { quiet_ = cancelled_ = true; }
  bool quiet() const { return quiet_; }

  // A cancel that comes after the worker's last look at the cancel event
  // cannot stop it: the installer is started on the handheld all the same.
  // Once the worker has ended, the dialog then reports the completion rather
  // than a cancel, so the user is sent to the handheld's screen.
  bool CompletedDespiteCancel() const { return completedDespiteCancel_; }
  // Shows the completion box and ends the dialog as done.
  void ReportCompletion();

 private:
  // The error handler; true when the question was answered Yes.
  bool React(InstallError code, const char* version);
  void End(int result);

  ProgressView& view_;
  bool quiet_ = false;
  bool cancelled_ = false;
  // The percentage the bar and the title show; -1 when the title shows a
  // stage's text instead. A chunk that leaves the percentage as it was
  // costs the window nothing.
  int shownPercent_ = -1;
  bool completedDespiteCancel_ = false;
};

// Replaces each %s of a template, in order, with the next argument.
std::string FillTemplate(const char* pattern, std::initializer_list<std::string> values);
