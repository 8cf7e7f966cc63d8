#include "worker/install_worker.h"

#include "device/event.h"
#include "device/rapi_class.h"
#include "log/diagnostic_log.h"
#include "logging_observer.h"
#include "worker/steps.h"
#include "worker/version_text.h"

bool CancelRequested(const WorkerContext& context) {
  return WaitForEvent(context.cancelEvent, 0) == WaitOutcome::Signalled;
}

namespace {

// Everything after connecting; returning ends the run.
void RunConnected(const DeviceApi& api, const WorkerContext& context, WorkerHost& host) {
  InstallObserver& observer = *context.observer;
  if (CancelRequested(context)) return;

  std::string handheld;
  diag::Log([&] { handheld = DescribeHandheld(api); });
  VersionText version;
  if (!ReadVersionFile(api, version)) {
    LogVersionRead(handheld, nullptr);
    observer.OnError(InstallError::NotInstalled, nullptr);
    return;
  }
  LogVersionRead(handheld, version.text);
  switch (CheckVersion(version.text)) {
    case Gate::TooOld:
      observer.OnError(InstallError::VersionTooOld, version.text);
      return;
    case Gate::Newer:
      if (!observer.ConfirmNewerVersion(version.text)) return;
      break;
    case Gate::Accepted:
      break;
  }

  if (CancelRequested(context)) return;
  AdjustRegistry(api);
  if (!RunTransferPasses(api, context, host)) return;
  observer.OnStage(InstallStage::Finished);
}

void RunAttempt(const WorkerContext& context, WorkerHost& host) {
  InstallObserver& observer = *context.observer;
  RapiClass rapi(host);
  observer.OnStage(InstallStage::ReadingDevice);
  if (CancelRequested(context)) return;

  const ConnectResult connected = rapi.Connect(context.cancelEvent);
  if (connected == ConnectResult::Connected)
    RunConnected(rapi.api(), context, host);
  else if (connected != ConnectResult::Cancelled)  // a cancel ends silently
    observer.OnError(ConnectError(connected), nullptr);
  // Also ends a start that a cancel left pending.
  rapi.Disconnect();
}

}  // namespace

// Each way a connection can fail has its own code, named here rather than
// carried over by number.
InstallError ConnectError(ConnectResult result) {
  switch (result) {
    case ConnectResult::Failed: return InstallError::ConnectFailed;
    case ConnectResult::TimedOut: return InstallError::NotConnected;
    case ConnectResult::NotSimulated: return InstallError::DemoOnly;
    default: return InstallError::NotInitialised;
  }
}

// Every attempt goes into the diagnostic log, whoever watches it.
DWORD InstallWorker(const WorkerContext& context, WorkerHost& host) {
  LogAttemptStart(context.memoryCard != 0);
  LoggingObserver logged(*context.observer, context.cancelEvent);
  WorkerContext watched = context;
  watched.observer = &logged;
  try {
    RunAttempt(watched, host);
  } catch (...) {
    diag::Event("result: the worker stopped on an unexpected fault");
    throw;
  }
  logged.LogResult();
  return 0;
}
