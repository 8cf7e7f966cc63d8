// The device link: binds the remote operations from the remote API library,
// starts the remote API with a time limit, and releases both again.
#pragma once

#include <memory>

#include "device/device_api.h"
#include "device/library.h"

enum class ConnectResult {
  Connected,
  NotInitialised,  // library missing or incomplete, or the start was refused
  Failed,          // the start completed with a failure, or could not be awaited
  TimedOut,        // no start within the time limit
  NotSimulated,    // a demo program found a library without the simulated handheld's mark
};

constexpr DWORD kConnectTimeoutMs = 5000;

class RapiClass {
 public:
  explicit RapiClass(LinkHost& host) : host_(host) {}
  ~RapiClass() { Disconnect(); }
  RapiClass(const RapiClass&) = delete;
  RapiClass& operator=(const RapiClass&) = delete;

  ConnectResult Connect();
  void Disconnect();

  // The bound operations; every entry is null until Connect has bound them
  // and again after Disconnect.
  const DeviceApi& api() const { return api_; }
  bool bound() const { return library_ != nullptr; }
  bool connected() const { return connected_; }

 private:
  bool Bind();

  LinkHost& host_;
  std::unique_ptr<Library> library_;
  DeviceApi api_;
  // Set once the start request is accepted, before its completion is known,
  // so every accepted start is matched by exactly one CeRapiUninit.
  bool connected_ = false;
};
