#include "device/rapi_class.h"

#include "device/event.h"

ConnectResult RapiClass::Connect() {
  Disconnect();
  library_ = host_.LoadRemoteApi();
  if (!library_ || !Bind()) return kConnectNotInitialised;

  RAPIINIT init{sizeof(RAPIINIT), nullptr, 0};
  if (StartFailed(CeRapiInitEx(&init))) return kConnectNotInitialised;
  connected_ = true;

  host_.ShowBusy(true);
  ConnectResult result;
  switch (WaitForEvent(init.heRapiInit, kConnectTimeoutMs)) {
    case WaitOutcome::Signalled:
      result = StartFailed(init.hrRapiInit) ? kConnectFailed : kConnected;
      break;
    case WaitOutcome::TimedOut:
      result = kConnectTimedOut;
      break;
    default:
      // A wait that cannot be performed says nothing about the start; going
      // on as if connected would report a failure as a connection.
      result = kConnectFailed;
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
  name = reinterpret_cast<devapi::name>(library_->Find(#name));         \
  if (called && name == nullptr) complete = false;
  DEVICE_API_OPERATIONS(BIND_OPERATION)
#undef BIND_OPERATION
  return complete;
}

void RapiClass::Disconnect() {
  if (connected_) {
    CeRapiUninit();
    connected_ = false;
  }
  library_.reset();
  static_cast<DeviceApi&>(*this) = DeviceApi{};
}
