#include "device/rapi_class.h"

#include "device/event.h"

ConnectResult RapiClass::Connect() {
  Disconnect();
  library_ = host_.LoadRemoteApi();
  if (!library_ || !Bind()) return ConnectResult::NotInitialised;

  RAPIINIT init{sizeof(RAPIINIT), nullptr, 0};
  if (StartFailed(api_.CeRapiInitEx(&init))) return ConnectResult::NotInitialised;
  connected_ = true;

  host_.ShowBusy(true);
  ConnectResult result;
  switch (WaitForEvent(init.heRapiInit, kConnectTimeoutMs)) {
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
  return result;
}

// A library that lacks an operation the program calls is not used at all, so
// no unresolved pointer is ever called.
bool RapiClass::Bind() {
  bool complete = true;
#define BIND_OPERATION(name, called)                                   \
  api_.name = reinterpret_cast<devapi::name>(library_->Find(#name));    \
  if (called && api_.name == nullptr) complete = false;
  DEVICE_API_OPERATIONS(BIND_OPERATION)
#undef BIND_OPERATION
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
