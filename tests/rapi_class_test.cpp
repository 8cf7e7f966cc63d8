#include <gtest/gtest.h>

#include <thread>

#include "device/rapi_class.h"
#include "tests/support/simulated_handheld.h"

namespace {

class Link : public ::testing::Test, protected SimulatedHandheld {
 protected:
  void Attach(sim::StartMode mode) {
    config.faults.start = mode;
    SimulatedHandheld::Attach();
  }
  unsigned Uninits() const { return sim::CountCalls(sim::Op::CeRapiUninit); }
};

TEST_F(Link, EachStartOutcome) {
  struct Case {
    sim::StartMode mode;
    ConnectResult result;
    unsigned uninits;
  };
  // A start that cannot be awaited is a failure, not a connection.
  for (Case c : {Case{sim::StartMode::Succeed, ConnectResult::Connected, 1}, Case{sim::StartMode::Refuse, ConnectResult::NotInitialised, 0},
                 Case{sim::StartMode::Fail, ConnectResult::Failed, 1}, Case{sim::StartMode::BrokenEvent, ConnectResult::Failed, 1}}) {
    Attach(c.mode);
    TestHost fresh;
    {
      RapiClass rapi(fresh);
      EXPECT_EQ(rapi.Connect(), c.result) << static_cast<int>(c.mode);
      EXPECT_EQ(rapi.connected(), c.uninits == 1);
      EXPECT_TRUE(rapi.bound());
    }  // the destructor tears down
    EXPECT_EQ(Uninits(), c.uninits) << static_cast<int>(c.mode);
    EXPECT_EQ(fresh.loads, 1);
    EXPECT_EQ(fresh.unloads, 1);
    // The busy indication brackets the wait, and only the wait.
    EXPECT_EQ(fresh.busyShown, c.uninits == 1 ? 1 : 0);
    EXPECT_EQ(fresh.busyHidden, fresh.busyShown.load());
    sim::Detach();
  }
}

TEST_F(Link, NoStartWithinTheLimit) {
  Attach(sim::StartMode::Never);
  RapiClass rapi(host);
  EXPECT_EQ(rapi.Connect(), ConnectResult::TimedOut);
  rapi.Disconnect();
  EXPECT_EQ(Uninits(), 1u);
  EXPECT_EQ(host.unloads, 1);
}

// A cancel that comes while the wait runs ends it; the start was accepted, so
// the teardown ends it. A start that completed at the same time wins.
TEST_F(Link, CancelEndsTheWaitForAPendingStart) {
  Attach(sim::StartMode::Never);
  UniqueEvent cancel = CreateAutoResetEvent();
  ASSERT_TRUE(cancel);
  {
    RapiClass rapi(host);
    std::thread canceller([&] {
      while (host.busyShown.load() == 0) std::this_thread::yield();
      SignalEvent(cancel.get());
    });
    EXPECT_EQ(rapi.Connect(cancel.get()), ConnectResult::Cancelled);
    canceller.join();
    EXPECT_TRUE(rapi.connected());
    EXPECT_EQ(host.busyHidden, 1);
  }
  EXPECT_EQ(Uninits(), 1u);
  EXPECT_EQ(host.unloads, 1);
  sim::Detach();

  Attach(sim::StartMode::Succeed);
  SignalEvent(cancel.get());
  RapiClass rapi(host);
  EXPECT_EQ(rapi.Connect(cancel.get()), ConnectResult::Connected);
  EXPECT_EQ(WaitForEvent(cancel.get(), 0), WaitOutcome::Signalled) << "the cancel stays for the worker's next look";
}

TEST_F(Link, MissingLibrary) {
  Attach(sim::StartMode::Succeed);
  host.libraryPresent = false;
  RapiClass rapi(host);
  EXPECT_EQ(rapi.Connect(), ConnectResult::NotInitialised);
  EXPECT_FALSE(rapi.bound());
  EXPECT_EQ(host.busyShown, 0);
  rapi.Disconnect();
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRapiInitEx), 0u);
  EXPECT_EQ(Uninits(), 0u);
}

TEST_F(Link, LibraryLackingACalledOperationIsNotUsed) {
  config.faults.omit = {"CeWriteFile"};
  Attach(sim::StartMode::Succeed);
  RapiClass rapi(host);
  EXPECT_EQ(rapi.Connect(), ConnectResult::NotInitialised);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRapiInitEx), 0u);
  rapi.Disconnect();
  EXPECT_EQ(host.unloads, 1);
  EXPECT_EQ(Uninits(), 0u);
}

TEST_F(Link, OperationsNeverCalledMayBeMissing) {
  config.faults.omit = {"CeMoveFile", "CeRegQueryValueEx"};
  Attach(sim::StartMode::Succeed);
  RapiClass rapi(host);
  EXPECT_EQ(rapi.Connect(), ConnectResult::Connected);
  EXPECT_EQ(rapi.api().CeMoveFile, nullptr);
}

// A library of the eighteen alone, as before the error queries were bound.
TEST_F(Link, TheErrorQueriesAreOptional) {
  config.faults.omit = {"CeGetLastError", "CeRapiGetError"};
  Attach(sim::StartMode::Succeed);
  RapiClass rapi(host);
  EXPECT_EQ(rapi.Connect(), ConnectResult::Connected);
  EXPECT_EQ(rapi.api().CeGetLastError, nullptr);
  EXPECT_EQ(rapi.api().CeRapiGetError, nullptr);
  EXPECT_NE(rapi.api().CeRegDeleteKey, nullptr);
}

TEST_F(Link, ReconnectAndRepeatedDisconnectReleaseOnce) {
  Attach(sim::StartMode::Succeed);
  RapiClass rapi(host);
  ASSERT_EQ(rapi.Connect(), ConnectResult::Connected);
  ASSERT_EQ(rapi.Connect(), ConnectResult::Connected);  // releases the first binding first
  EXPECT_EQ(Uninits(), 1u);
  EXPECT_EQ(host.loads, 2);
  EXPECT_EQ(host.unloads, 1);
  rapi.Disconnect();
  rapi.Disconnect();
  EXPECT_EQ(Uninits(), 2u);
  EXPECT_EQ(host.unloads, 2);
  EXPECT_EQ(rapi.api().CeCreateFile, nullptr);  // nothing stays callable after teardown
}

}  // namespace
