// The owners of handles on the handheld and of events: each closes what it
// holds exactly once, through the right operation, and never its "none".
#include <gtest/gtest.h>

#include <vector>

#include "device/event.h"
#include "device/remote_handle.h"

namespace {

std::vector<std::uintptr_t> gClosedHandles;
std::vector<std::uintptr_t> gClosedKeys;

BOOL WINAPI CloseHandleRecorded(HANDLE handle) {
  gClosedHandles.push_back(reinterpret_cast<std::uintptr_t>(handle));
  return TRUE;
}
LONG WINAPI CloseKeyRecorded(HKEY key) {
  gClosedKeys.push_back(reinterpret_cast<std::uintptr_t>(key));
  return ERROR_SUCCESS;
}

template <typename T>
T Fake(std::uintptr_t value) {
  return reinterpret_cast<T>(value);
}

struct Owners : ::testing::Test {
  Owners() {
    gClosedHandles.clear();
    gClosedKeys.clear();
    api.CeCloseHandle = CloseHandleRecorded;
    api.CeRegCloseKey = CloseKeyRecorded;
  }
  DeviceApi api;
};

TEST_F(Owners, EachClosesOnceThroughItsOwnOperation) {
  {
    RemoteFile file(api, Fake<HANDLE>(0x10));
    RemoteObject process(api, Fake<HANDLE>(0x20));
    RemoteKey key(api, Fake<HKEY>(0x30));
    EXPECT_TRUE(file && process && key);
  }
  // Destroyed in reverse order of declaration.
  EXPECT_EQ(gClosedHandles, (std::vector<std::uintptr_t>{0x20, 0x10}));
  EXPECT_EQ(gClosedKeys, std::vector<std::uintptr_t>{0x30});
}

TEST_F(Owners, NoneIsNeverClosed) {
  {
    RemoteFile failedOpen(api, INVALID_HANDLE_VALUE);
    RemoteObject noThread(api, nullptr);
    RemoteKey noKey(api, nullptr);
    RemoteFile empty;
    EXPECT_FALSE(failedOpen || noThread || noKey || empty);
  }
  // A null file handle is not a file's "none": it is closed like any other.
  { RemoteFile nullFile(api, nullptr); }
  EXPECT_EQ(gClosedHandles, std::vector<std::uintptr_t>{0});
  EXPECT_TRUE(gClosedKeys.empty());
}

TEST_F(Owners, MovingHandsOverWithoutClosing) {
  RemoteFile first(api, Fake<HANDLE>(0x10));
  RemoteFile second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.get(), Fake<HANDLE>(0x10));
  EXPECT_TRUE(gClosedHandles.empty());

  RemoteFile third(api, Fake<HANDLE>(0x14));
  third = std::move(second);  // the one third held goes first
  EXPECT_EQ(gClosedHandles, std::vector<std::uintptr_t>{0x14});
  third.reset();
  third.reset();
  EXPECT_EQ(gClosedHandles, (std::vector<std::uintptr_t>{0x14, 0x10}));
}

std::vector<std::uintptr_t> gClosedElsewhere;
BOOL WINAPI CloseHandleElsewhere(HANDLE handle) {
  gClosedElsewhere.push_back(reinterpret_cast<std::uintptr_t>(handle));
  return TRUE;
}

// A handle keeps the close operation of the binding it came from, also when
// it moves into an owner that came from another binding.
TEST_F(Owners, TheCloseOperationTravelsWithTheHandle) {
  gClosedElsewhere.clear();
  DeviceApi other;
  other.CeCloseHandle = CloseHandleElsewhere;
  RemoteFile here(api, Fake<HANDLE>(0x10));
  RemoteFile there(other, Fake<HANDLE>(0x20));
  there = std::move(here);
  EXPECT_EQ(gClosedElsewhere, std::vector<std::uintptr_t>{0x20});
  there.reset();
  EXPECT_EQ(gClosedHandles, std::vector<std::uintptr_t>{0x10});
  EXPECT_EQ(gClosedElsewhere.size(), 1u);
}

TEST(EventOwner, MovesAndClosesOnce) {
  UniqueEvent event = CreateAutoResetEvent();
  ASSERT_TRUE(event);
  HANDLE raw = event.get();
  UniqueEvent moved(std::move(event));
  EXPECT_FALSE(event);
  EXPECT_EQ(moved.get(), raw);
  SignalEvent(moved.get());
  EXPECT_EQ(WaitForEvent(moved.get(), 0), WaitOutcome::Signalled);
  moved = CreateAutoResetEvent();  // the first event is closed here, once
  EXPECT_NE(moved.get(), nullptr);
  EXPECT_EQ(WaitForEvent(moved.get(), 0), WaitOutcome::TimedOut);
}

}  // namespace
