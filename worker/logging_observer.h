// Watches a run for the diagnostic log: each stage, each error, the answer
// to the version question, and at the end the result, a cancel included
// with the stage and percentage it came at. Progress reports are only
// remembered: the log takes a line per event, never one per chunk.
#pragma once

#include "worker/install_observer.h"

class LoggingObserver final : public ForwardingObserver {
 public:
  using ForwardingObserver::ForwardingObserver;

  void OnStage(InstallStage stage) override;
  void OnProgress(int percent, bool copyEnded) override;
  void OnError(InstallError code, const char* version) override;
  bool ConfirmNewerVersion(const char* version) override;

  // After the worker's last report. A run that ended without a result of
  // its own was cancelled: the worker ends silently only then.
  void LogResult() const;

 private:
  enum class Ending { None, Finished, Error, Declined };
  Ending ending_ = Ending::None;
  InstallError error_{};
  InstallStage stage_ = InstallStage::ReadingDevice;
  int percent_ = -1;  // none yet in this stage
};

// The first line of an attempt: the program and the PC it runs on.
void LogAttemptStart(bool memoryCard);
