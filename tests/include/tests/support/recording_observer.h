// Stands in for whoever watches a run, on the worker's own thread: records
// each report as a line, in the terms of the progress dialog's messages,
// and answers the version question as told.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "worker/install_observer.h"

class RecordingObserver final : public InstallObserver {
 public:
  // "stage 1", "progress 42 0", "error 7 [Version 1.0.9.9]"; the version
  // question is "error 8 [...]", the code the dialog receives it as.
  std::vector<std::string> log;
  bool answerNewer = true;
  // Runs after a report is recorded, with its 0-based index.
  std::function<void(std::size_t)> onReport;

  void OnStage(InstallStage stage) override;
  void OnProgress(int percent, bool copyEnded) override;
  void OnError(InstallError code, const char* version) override;
  bool ConfirmNewerVersion(const char* version) override;

  std::vector<std::string> Lines(const std::string& kind) const;
  std::vector<std::string> Errors() const { return Lines("error"); }
  std::vector<std::string> Stages() const { return Lines("stage"); }

 private:
  void Record(std::string line);
};
