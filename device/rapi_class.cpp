#include "device/rapi_class.h"

#include <chrono>

#include "device/event.h"
#include "device/failed_call.h"
#include "log/diagnostic_log.h"

namespace {

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

ConnectResult RapiClass::Connect(HANDLE cancel) {
  Disconnect();
  library_ = host_.LoadRemoteApi();
  if (!library_) {
    diag::Event("remote API library: not loaded");
    return ConnectResult::NotInitialised;
  }
  const std::string location = library_->Location();
  diag::Event("remote API library: " + (location.empty() ? std::string("loaded") : location));
  if (!Bind()) return ConnectResult::NotInitialised;

  const auto start = std::chrono::steady_clock::now();
  RAPIINIT init{sizeof(RAPIINIT), nullptr, 0};
  const HRESULT accepted = api_.CeRapiInitEx(&init);
  if (StartFailed(accepted)) {
    diag::Event("start: refused by CeRapiInitEx, HRESULT " + HresultText(accepted));
    return ConnectResult::NotInitialised;
  }
  connected_ = true;

  host_.ShowBusy(true);
  ConnectResult result;
  std::string outcome;
  switch (WaitForEventUnless(init.heRapiInit, cancel, kConnectTimeoutMs)) {
    case WaitOutcome::Signalled:
      result = StartFailed(init.hrRapiInit) ? ConnectResult::Failed : ConnectResult::Connected;
      outcome = (result == ConnectResult::Connected ? "connected, HRESULT " : "failed, HRESULT ") +
                HresultText(init.hrRapiInit);
      break;
    case WaitOutcome::TimedOut:
      result = ConnectResult::TimedOut;
      outcome = "not completed within " + std::to_string(kConnectTimeoutMs) + " ms";
      break;
    case WaitOutcome::Stopped:
      result = ConnectResult::Cancelled;
      outcome = "cancelled while pending";
      break;
    default:
      // A wait that cannot be performed says nothing about the start; going
      // on as if connected would report a failure as a connection.
      result = ConnectResult::Failed;
      outcome = "its completion could not be awaited";
      break;
  }
  host_.ShowBusy(false);
  diag::Event("start: " + outcome + ", after " + std::to_string(MillisecondsSince(start)) + " ms");
  return result;
}

// A library that lacks an operation the program calls is not used at all, so
// no unresolved pointer is ever called. The optional ones only feed the log.
bool RapiClass::Bind() {
  std::string missing, missingOptional;
#define BIND_OPERATION(name, required)                                           \
  api_.name = reinterpret_cast<devapi::name>(library_->Find(#name));              \
  if (api_.name == nullptr && required) missing += (missing.empty() ? "" : ", ") + std::string(#name);
  DEVICE_API_OPERATIONS(BIND_OPERATION)
#undef BIND_OPERATION
#define BIND_OPTIONAL(name, required)                                \
  api_.name = reinterpret_cast<devapi::name>(library_->Find(#name)); \
  if (api_.name == nullptr) missingOptional += (missingOptional.empty() ? "" : ", ") + std::string(#name);
  DEVICE_API_OPTIONAL_OPERATIONS(BIND_OPTIONAL)
#undef BIND_OPTIONAL
  if (!missingOptional.empty())
    diag::Event("remote API library: no " + missingOptional + ", so the handheld's errors will be unknown");
  if (!missing.empty()) diag::Event("remote API library: unusable, it lacks " + missing);
  return missing.empty();
}

void RapiClass::Disconnect() {
  if (connected_) {
    api_.CeRapiUninit();
    connected_ = false;
  }
  library_.reset();
  api_ = DeviceApi{};
}
