// A worker run against a fresh simulated handheld, on the test's own thread,
// with the GoogleTest expectations that many tests share.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/recording_observer.h"
#include "tests/support/simulated_handheld.h"
#include "worker/install_worker.h"

class WorkerFixture : public ::testing::Test, protected SimulatedHandheld {
 protected:
  using SimulatedHandheld::Run;
  void Run(bool card = true) { Run(observer, card); }
  void CancelAtReport(std::size_t index) {
    HANDLE event = cancel.get();
    observer.onReport = [event, index](std::size_t i) {
      if (i == index) SignalEvent(event);
    };
  }

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

  RecordingObserver observer;
};
