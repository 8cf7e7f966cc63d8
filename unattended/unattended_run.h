// A revision-up with nobody to ask: the version question is answered as the
// command line says, and no box is shown.
#pragma once

#include "progress/progress_view.h"
#include "unattended/run_outcome.h"
#include "worker/worker_context.h"

// What a box would have been answered: Yes or No to the version question,
// OK to everything else.
BoxAnswer UnattendedAnswer(BoxKind kind, bool acceptNewer);

// Reacts to nothing but the version question.
class UnattendedAnswers final : public InstallObserver {
 public:
  explicit UnattendedAnswers(bool acceptNewer) : acceptNewer_(acceptNewer) {}

  void OnStage(InstallStage) override {}
  void OnProgress(int, bool) override {}
  void OnError(InstallError, const char*) override {}
  bool ConfirmNewerVersion(const char*) override { return acceptNewer_; }

 private:
  bool acceptNewer_;
};

// The progress dialog's view in a run with no boxes (/passive): status,
// title, bar and the end pass through; a box is not shown but answered as
// UnattendedAnswer says, so the dialog ends as it would after that answer.
class UnattendedView final : public ProgressView {
 public:
  UnattendedView(ProgressView& shown, bool acceptNewer) : shown_(shown), acceptNewer_(acceptNewer) {}

  void SetStatus(const std::string& text) override { shown_.SetStatus(text); }
  void SetTitle(const std::string& text) override { shown_.SetTitle(text); }
  void SetBar(int position) override { shown_.SetBar(position); }
  void EnableCancel(bool enabled) override { shown_.EnableCancel(enabled); }
  BoxAnswer ShowBox(const std::string&, const std::string&, BoxKind kind) override {
    return UnattendedAnswer(kind, acceptNewer_);
  }
  void End(int result) override { shown_.End(result); }
  std::string DisplayVersion(const char* raw) override { return shown_.DisplayVersion(raw); }

 private:
  ProgressView& shown_;
  bool acceptNewer_;
};

struct UnattendedSettings {
  bool memoryCard = true;
  bool acceptNewer = false;
};

// One whole revision-up on this thread, with no window (/quiet). It cannot
// hang: the connection's time limit bounds the wait for the handheld, and
// nothing waits for a user. `cancelEvent` may stay unsignalled for the whole
// run. Returns the exit code.
int RunQuietly(WorkerHost& host, HANDLE cancelEvent, const UnattendedSettings& settings);
