// How an attempt ended, and the one rule that turns that into the dialog's
// result and the exit code.
#pragma once

#include <optional>

#include "worker/install_observer.h"

inline constexpr int kExitDone = 0;
inline constexpr int kExitInvalidParameter = 87;  // ERROR_INVALID_PARAMETER: the command line is refused
inline constexpr int kExitCancelled = 1223;       // ERROR_CANCELLED
// ERROR_INTERNAL_ERROR: the run ended without an outcome it could name (a
// worker that died, a window or thread that could not be made). Never 0: a
// run that did not complete must not read as one that did.
inline constexpr int kExitInternalError = 1359;

struct RunOutcome {
  bool completed = false;  // the installer was started on the handheld
  bool cancelled = false;  // the dialog ended as cancelled
  // The code that ended the run: its first error, or 8 when the version
  // question was answered No.
  std::optional<InstallError> error;
};

// The endings an attempt can have. A completion is done, also one that a
// late cancel could not stop; a cancel the worker saw, and every failure,
// is not.
enum class Ending {
  Completed,
  CompletedDespiteCancel,  // the installer had been started before the cancel came
  Cancelled,
  Failed,  // with the first error's code, when there was one
};

Ending EndingOf(const RunOutcome& outcome);
// kResultDone for either completion, kResultFailed for everything else.
int DialogResultFor(Ending ending);
// 0 after either completion; 1223 for a cancel; for a failure, its code when
// it is one the progress dialog has a box for (1 to 13), else 1359.
int ExitCodeFor(const RunOutcome& outcome);

// Watches a run on its way to whoever reacts to it and notes its outcome.
class OutcomeRecorder final : public ForwardingObserver {
 public:
  using ForwardingObserver::ForwardingObserver;

  void OnStage(InstallStage stage) override;
  void OnError(InstallError code, const char* version) override;
  bool ConfirmNewerVersion(const char* version) override;
  // The dialog ended as cancelled.
  void NoteCancelled() { outcome_.cancelled = true; }

  const RunOutcome& outcome() const { return outcome_; }

 private:
  void NoteError(InstallError code);

  RunOutcome outcome_;
};
