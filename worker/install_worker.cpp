#include "worker/install_worker.h"

#include "device/event.h"
#include "device/rapi_class.h"
#include "progress/notifications.h"
#include "worker/steps.h"
#include "worker/version_text.h"

bool CancelRequested(const WorkerContext& context) {
  return WaitForEvent(context.cancelEvent, 0) == WaitOutcome::Signalled;
}

LRESULT Notify(const WorkerContext& context, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendNotification(context.window, message, wParam, lParam);
}

namespace {

LPARAM AsParam(const VersionText& version) { return reinterpret_cast<LPARAM>(version.text); }

// Everything after connecting; returning ends the run.
void RunConnected(const DeviceApi& api, const WorkerContext& context, WorkerHost& host) {
  if (CancelRequested(context)) return;

  VersionText version;
  if (!ReadVersionFile(api, version)) {
    Notify(context, WM_INSTALL_ERROR, kErrorNotInstalled);
    return;
  }
  switch (CheckVersion(version.text)) {
    case Gate::TooOld:
      Notify(context, WM_INSTALL_ERROR, kErrorVersionTooOld, AsParam(version));
      return;
    case Gate::Newer:
      if (Notify(context, WM_INSTALL_ERROR, kErrorVersionNewer, AsParam(version)) == 0) return;
      break;
    case Gate::Accepted:
      break;
  }

  if (CancelRequested(context)) return;
  AdjustRegistry(api);
  if (!RunTransferPasses(api, context, host)) return;
  Notify(context, WM_INSTALL_STAGE, kStageFinished);
}

}  // namespace

DWORD InstallWorker(const WorkerContext& context, WorkerHost& host) {
  RapiClass rapi(host);
  Notify(context, WM_INSTALL_STAGE, kStageReadingDevice);
  if (CancelRequested(context)) return 0;

  // Each way a connection can fail has its own code, named here rather than
  // carried over by number.
  switch (rapi.Connect()) {
    case ConnectResult::Connected:
      RunConnected(rapi.api(), context, host);
      break;
    case ConnectResult::NotInitialised:
      Notify(context, WM_INSTALL_ERROR, kErrorNotInitialised);
      break;
    case ConnectResult::Failed:
      Notify(context, WM_INSTALL_ERROR, kErrorConnectFailed);
      break;
    case ConnectResult::TimedOut:
      Notify(context, WM_INSTALL_ERROR, kErrorNotConnected);
      break;
  }
  rapi.Disconnect();
  return 0;
}
