// Watches a run for the diagnostic log: each stage, each error, the answer
// to the version question, and at the end the result, a cancel included
// with the stage and percentage it came at. Progress reports are only
// remembered: the log takes a line per event, never one per chunk.
#pragma once

#include <string>

#include "device/ce_types.h"
#include "worker/install_observer.h"

class LoggingObserver final : public ForwardingObserver {
 public:
  // `cancelEvent`: the run's, looked at once the run ends after an error or
  // a No, since a dialog that was cancelled answers every later report with
  // nothing: that run was cancelled, not refused or failed.
  LoggingObserver(InstallObserver& inner, HANDLE cancelEvent) : ForwardingObserver(inner), cancel_(cancelEvent) {}

  void OnStage(InstallStage stage) override;
  void OnProgress(int percent, bool copyEnded) override;
  void OnError(InstallError code, const char* version) override;
  bool ConfirmNewerVersion(const char* version) override;

  // After the worker's last report. A run that ended without a result of
  // its own was cancelled: the worker ends silently only then.
  void LogResult() const noexcept;

 private:
  bool CancelledMeanwhile() const;

  enum class Ending { None, Finished, Error, Declined };
  HANDLE cancel_;
  Ending ending_ = Ending::None;
  InstallError error_{};
  // An error that came after the run was cancelled, for the result line.
  bool errorAfterCancel_ = false;
  InstallStage stage_ = InstallStage::ReadingDevice;
  int percent_ = -1;  // none yet in this stage
};

// "RavoVup 1.1.2.0 x64, package Version 1.1.2.0, on Windows …": what the
// first line of an attempt or a version check names.
std::string ProgramAndPc();
// The first line of an attempt: the program and the PC it runs on.
void LogAttemptStart(bool memoryCard) noexcept;
