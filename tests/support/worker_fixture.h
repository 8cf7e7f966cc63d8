// A worker run against a fresh simulated handheld, on the test's own thread.
#pragma once

#include <gtest/gtest.h>

#include "device/event.h"
#include "sim/sim.h"
#include "tests/support/device_folder.h"
#include "tests/support/recording_observer.h"
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
  void Run(InstallObserver& watcher, bool card) {
    Attach();
    InstallWorker(WorkerContext{&watcher, cancel.get(), card ? 1u : 0u}, host);
  }
  void Run(bool card = true) { Run(observer, card); }
  void FailCall(sim::Op op, unsigned nth) { config.faults.failCall[static_cast<int>(op)] = nth; }
  // Signals the cancel event from inside the nth call of an operation.
  void CancelInCall(sim::Op which, unsigned nth) {
    HANDLE event = cancel.get();
    sim::SetCallHook([event, which, nth](sim::Op op, unsigned count) {
      if (op == which && count == nth) SignalEvent(event);
    });
  }
  void CancelAtReport(std::size_t index) {
    HANDLE event = cancel.get();
    observer.onReport = [event, index](std::size_t i) {
      if (i == index) SignalEvent(event);
    };
  }
  // Clears a signal that no run looked at.
  void ClearCancel() { WaitForEvent(cancel.get(), 0); }

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
  RecordingObserver observer;
  UniqueEvent cancel = CreateAutoResetEvent();
};
