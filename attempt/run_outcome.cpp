#include "attempt/run_outcome.h"

#include "progress/dialog_result.h"
#include "progress/reactions.h"

Ending EndingOf(const RunOutcome& outcome) {
  if (outcome.completed) return outcome.cancelled ? Ending::CompletedDespiteCancel : Ending::Completed;
  return outcome.cancelled ? Ending::Cancelled : Ending::Failed;
}

int DialogResultFor(Ending ending) {
  switch (ending) {
    case Ending::Completed:
    case Ending::CompletedDespiteCancel:
      return kResultDone;
    case Ending::Cancelled:
    case Ending::Failed:
      break;
  }
  return kResultFailed;
}

int ExitCodeFor(const RunOutcome& outcome) {
  switch (EndingOf(outcome)) {
    case Ending::Completed:
    case Ending::CompletedDespiteCancel:
      return kExitDone;
    case Ending::Cancelled:
      return kExitCancelled;
    case Ending::Failed:
      break;
  }
  // The box table says which codes are codes a user may be shown; the
  // others (0 from a worker that died, values never sent) name nothing.
  if (!outcome.error) return kExitInternalError;
  return ErrorExitCode(*outcome.error).value_or(kExitInternalError);
}

void OutcomeRecorder::OnStage(InstallStage stage) {
  if (stage == InstallStage::Finished) outcome_.completed = true;
  ForwardingObserver::OnStage(stage);
}

void OutcomeRecorder::OnError(InstallError code, const char* version) {
  NoteError(code);
  ForwardingObserver::OnError(code, version);
}

bool OutcomeRecorder::ConfirmNewerVersion(const char* version) {
  const bool goOn = ForwardingObserver::ConfirmNewerVersion(version);
  if (!goOn) NoteError(InstallError::VersionNewer);
  return goOn;
}

void OutcomeRecorder::NoteError(InstallError code) {
  if (!outcome_.error) outcome_.error = code;
}
