#include "unattended/run_outcome.h"

#include "progress/reactions.h"

int ExitCodeFor(const RunOutcome& outcome) {
  if (outcome.completed) return kExitDone;
  if (outcome.cancelled) return kExitCancelled;
  // The box table says which codes are codes a user may be shown; the
  // others (0 from a worker that died, values never sent) name nothing.
  if (outcome.error == InstallError::DemoOnly) return static_cast<int>(InstallError::NotInitialised);
  if (outcome.error && FindErrorBox(*outcome.error) != nullptr) return static_cast<int>(*outcome.error);
  return kExitInternalError;
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
