// The device link: binds the remote operations from the remote API library,
// starts the remote API with a time limit, and releases both again.
#pragma once

#include <memory>

#include "device/device_api.h"
#include "device/library.h"

enum ConnectResult : int {
  kConnected = 0,
  kConnectNotInitialised = 1,  // library missing or incomplete, or the start was refused
  kConnectFailed = 2,          // the start completed with a failure, or could not be awaited
  kConnectTimedOut = 3,        // no start within the time limit
};

constexpr DWORD kConnectTimeoutMs = 5000;

// The operation pointers are public members, called directly once Connect
// has bound them.
class RapiClass : public DeviceApi {
 public:
  explicit RapiClass(LinkHost& host) : host_(host) {}
  virtual ~RapiClass() { Disconnect(); }
  RapiClass(const RapiClass&) = delete;
  RapiClass& operator=(const RapiClass&) = delete;

  ConnectResult Connect();
  void Disconnect();

  bool bound() const { return library_ != nullptr; }
  bool connected() const { return connected_; }

 private:
  bool Bind();

  LinkHost& host_;
  std::unique_ptr<Library> library_;
  // Set once the start request is accepted, before its completion is known,
  // so every accepted start is matched by exactly one CeRapiUninit.
  bool connected_ = false;
};
