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

ConnectResult RapiClass::Connect() {
  Disconnect();
  library_ = host_.LoadRemoteApi();
  if (!library_) {
    diag::Event("remote API library: not loaded");
    return ConnectResult::NotInitialised;
  }
  diag::Log([&] {
    const std::string location = library_->Location();
    diag::Event("remote API library: " + (location.empty() ? std::string("loaded") : location));
  });
  // Nothing of a library without the mark is called, its start included.
  if (const char* mark = host_.RequiredMark(); mark != nullptr && library_->Find(mark) == nullptr) {
    diag::Event("remote API library: not the simulated handheld, which is the only one a demo program uses");
    library_.reset();
    return ConnectResult::NotSimulated;
  }
  if (!Bind()) return ConnectResult::NotInitialised;

  const auto start = std::chrono::steady_clock::now();
  RAPIINIT init{sizeof(RAPIINIT), nullptr, 0};
  const HRESULT accepted = api_.CeRapiInitEx(&init);
  if (StartFailed(accepted)) {
    diag::Log([&] { diag::Event("start: refused by CeRapiInitEx, HRESULT " + HresultText(accepted)); });
    return ConnectResult::NotInitialised;
  }
  connected_ = true;

  host_.ShowBusy(true);
  ConnectResult result;
  const WaitOutcome waited = WaitForEvent(init.heRapiInit, kConnectTimeoutMs);
  switch (waited) {
    case WaitOutcome::Signalled:
      result = StartFailed(init.hrRapiInit) ? ConnectResult::Failed : ConnectResult::Connected;
      break;
    case WaitOutcome::TimedOut:
      result = ConnectResult::TimedOut;
      break;
    default:
      // A wait that cannot be performed says nothing about the start; going
      // on as if connected would report a failure as a connection.
      result = ConnectResult::Failed;
      break;
  }
  host_.ShowBusy(false);
  diag::Log([&] {
    std::string outcome;
    if (waited == WaitOutcome::Signalled)
      outcome = (result == ConnectResult::Connected ? "connected, HRESULT " : "failed, HRESULT ") +
                HresultText(init.hrRapiInit);
    else if (waited == WaitOutcome::TimedOut)
      outcome = "not completed within " + std::to_string(kConnectTimeoutMs) + " ms";
    else
      outcome = "its completion could not be awaited";
    diag::Event("start: " + outcome + ", after " + std::to_string(MillisecondsSince(start)) + " ms");
  });
  return result;
}

// A library that lacks an operation the program calls is not used at all, so
// no unresolved pointer is ever called. The optional ones only feed the log.
bool RapiClass::Bind() {
#define BIND_OPERATION(name, required) api_.name = reinterpret_cast<devapi::name>(library_->Find(#name));
  DEVICE_API_OPERATIONS(BIND_OPERATION)
  DEVICE_API_OPTIONAL_OPERATIONS(BIND_OPERATION)
#undef BIND_OPERATION
  bool complete = true;
#define CHECK_REQUIRED(name, required) complete = complete && (api_.name != nullptr || !required);
  DEVICE_API_OPERATIONS(CHECK_REQUIRED)
#undef CHECK_REQUIRED
  diag::Log([&] {
    std::string missing, missingOptional;
#define NAME_MISSING(name, required) \
  if (api_.name == nullptr && required) missing += (missing.empty() ? "" : ", ") + std::string(#name);
    DEVICE_API_OPERATIONS(NAME_MISSING)
#undef NAME_MISSING
#define NAME_MISSING_OPTIONAL(name, required) \
  if (api_.name == nullptr) missingOptional += (missingOptional.empty() ? "" : ", ") + std::string(#name);
    DEVICE_API_OPTIONAL_OPERATIONS(NAME_MISSING_OPTIONAL)
#undef NAME_MISSING_OPTIONAL
    if (!missingOptional.empty())
      diag::Event("remote API library: no " + missingOptional + ", so the handheld's errors will be unknown");
    if (!missing.empty()) diag::Event("remote API library: unusable, it lacks " + missing);
  });
  return complete;
}

void RapiClass::Disconnect() {
  if (connected_) {
    api_.CeRapiUninit();
    connected_ = false;
  }
  library_.reset();
  api_ = DeviceApi{};
}
