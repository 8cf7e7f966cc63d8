#include "worker/install_worker.h"

#include "device/event.h"
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
void RunConnected(RapiClass& rapi, const WorkerContext& context, WorkerHost& host) {
  if (CancelRequested(context)) return;

  VersionText version;
  if (!ReadVersionFile(rapi, version)) {
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
  AdjustRegistry(rapi);
  if (!RunTransferPasses(rapi, context, host)) return;
  Notify(context, WM_INSTALL_STAGE, kStageFinished);
}

}  // namespace

DWORD InstallWorker(const WorkerContext& context, WorkerHost& host) {
  RapiClass rapi(host);
  Notify(context, WM_INSTALL_STAGE, kStageReadingDevice);
  if (CancelRequested(context)) return 0;

  ConnectResult connected = rapi.Connect();
  if (connected != kConnected)
    Notify(context, WM_INSTALL_ERROR, static_cast<WPARAM>(connected));
  else
    RunConnected(rapi, context, host);
  rapi.Disconnect();
  return 0;
}
