// A worker run against a fresh simulated handheld, on the test's own thread.
#pragma once

#include <gtest/gtest.h>

#include "device/event.h"
#include "sim/sim.h"
#include "tests/support/device_folder.h"
#include "tests/support/recording_sink.h"
#include "tests/support/test_host.h"
#include "worker/install_worker.h"

inline constexpr char kCardCopy[] = "\\Storage Card\\Q58ravoInstall.CAB";
inline constexpr char kInstallCopy[] = "\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB";

class WorkerFixture : public ::testing::Test {
 protected:
  WorkerFixture() {
    config.root = device.root();
    config.writeCallLog = false;
    host.package = MakePackage(200000);
  }
  ~WorkerFixture() override {
    sim::SetCallHook(nullptr);
    sim::Detach();
  }

  void Attach() { sim::Attach(config); }
  void Run(bool card = true) {
    Attach();
    InstallWorker(WorkerContext{sink.window(), cancel, card ? 1u : 0u}, host);
  }
  void FailCall(sim::Op op, unsigned nth) { config.faults.failCall[static_cast<int>(op)] = nth; }
  // Signals the cancel event from inside the nth call of an operation.
  void CancelInCall(sim::Op which, unsigned nth) {
    sim::SetCallHook([this, which, nth](sim::Op op, unsigned count) {
      if (op == which && count == nth) SignalEvent(cancel);
    });
  }
  void CancelAtNotification(std::size_t index) {
    sink.onNotify = [this, index](std::size_t i) {
      if (i == index) SignalEvent(cancel);
    };
  }

  bool HoldsPackage(const std::string& devicePath) const { return device.Read(devicePath) == host.package; }
  // Every file the run may have written is either absent or whole.
  void ExpectNoPartialFile() const {
    for (const char* path : {kCardCopy, kInstallCopy})
      if (device.Exists(path)) {
        EXPECT_TRUE(HoldsPackage(path)) << path;
      }
  }
  void ExpectLinkReleased() const {
    EXPECT_LE(sim::CountCalls(sim::Op::CeRapiUninit), 1u);
    EXPECT_EQ(host.loads.load(), host.unloads.load());
    EXPECT_EQ(sim::OpenHandles(), 0u);
  }

  DeviceFolder device;
  sim::Config config;
  TestHost host;
  RecordingSink sink;
  UniqueEvent cancelEvent = CreateAutoResetEvent();
  HANDLE cancel = cancelEvent.get();
};
