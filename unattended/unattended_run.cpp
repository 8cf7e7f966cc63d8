#include "unattended/unattended_run.h"

#include "worker/install_worker.h"

BoxAnswer UnattendedAnswer(BoxKind kind, bool acceptNewer) {
  if (kind != BoxKind::Question) return BoxAnswer::Ok;
  return acceptNewer ? BoxAnswer::Yes : BoxAnswer::No;
}

int RunQuietly(WorkerHost& host, HANDLE cancelEvent, const UnattendedSettings& settings) {
  UnattendedAnswers answers(settings.acceptNewer);
  OutcomeRecorder recorder(answers);
  const WorkerContext context{&recorder, cancelEvent, settings.memoryCard ? 1u : 0u};
  try {
    InstallWorker(context, host);
  } catch (...) {
    recorder.OnError(InstallError{}, nullptr);
  }
  return ExitCodeFor(recorder.outcome());
}
