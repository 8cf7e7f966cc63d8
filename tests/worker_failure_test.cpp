// Runs that end early: each failure code with what stays on the handheld,
// and a cancel at each point where the worker looks for one.
#include <gtest/gtest.h>

#include "device/library.h"
#include "tests/worker_fixture.h"

namespace {

using Strings = std::vector<std::string>;
using sim::Op;

class Failure : public WorkerFixture {
 protected:
  Failure() { device.MakeTypical(); }
};

TEST_F(Failure, ConnectOutcomesBecomeErrorCodes) {
  struct Case {
    sim::StartMode mode;
    std::string error;
  };
  for (const Case& c : {Case{sim::StartMode::Refuse, "error 1"}, Case{sim::StartMode::Fail, "error 2"},
                        Case{sim::StartMode::BrokenEvent, "error 2"}}) {
    config.faults.start = c.mode;
    observer.log.clear();
    Run(true);
    EXPECT_EQ(observer.log, (Strings{"stage 0", c.error}));
    EXPECT_EQ(sim::CountCalls(Op::CeCreateFile), 0u);
    ExpectLinkReleased();
    sim::Detach();
  }
}

TEST_F(Failure, NoLibraryIsErrorOne) {
  host.libraryPresent = false;
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error 1"}));
}

// A demo program calls nothing in a library without the simulated
// handheld's mark, not even the start.
TEST_F(Failure, DemoProgramRefusesAnUnmarkedLibrary) {
  host.requiredMark = kSimulatedHandheldMark;
  config.faults.omit = {kSimulatedHandheldMark};
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error " + std::to_string(static_cast<unsigned>(InstallError::DemoOnly))}));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ(host.loads, host.unloads);
}

TEST_F(Failure, NoStartWithinFiveSecondsIsErrorThree) {
  config.faults.start = sim::StartMode::Never;
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error 3"}));
  EXPECT_EQ(sim::CountCalls(Op::CeRapiUninit), 1u);
}

TEST_F(Failure, MissingVersionFileChangesNothing) {
  std::filesystem::remove(device.Local("\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver"));
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error 6"}));
  EXPECT_TRUE(LauncherEntryPresent());
  EXPECT_EQ(DpiValue(), std::nullopt);
  ExpectLinkReleased();
}

TEST_F(Failure, UnreadableVersionFileShowsAnEmptyVersion) {
  FailCall(Op::CeReadFile, 1);
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error 7 []"}));
  ExpectLinkReleased();  // the version file was closed after the failed read
}

// A library that reports more bytes read than it was asked for: the worker
// takes no more than its buffer holds, and the text is that of a full read.
devapi::CeReadFile gSimRead = nullptr;
DWORD gReportedBeyond = 0;
BOOL WINAPI OverReportingRead(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  const BOOL ok = gSimRead(file, buffer, toRead, read, overlapped);
  if (ok) *read = toRead + gReportedBeyond;
  return ok;
}

class OverReportedRead : public Failure, public ::testing::WithParamInterface<DWORD> {};

TEST_P(OverReportedRead, IsTakenAsAFullRead) {
  gSimRead = reinterpret_cast<devapi::CeReadFile>(sim::Entry("CeReadFile"));
  gReportedBeyond = GetParam();
  host.replaced["CeReadFile"] = reinterpret_cast<void*>(&OverReportingRead);
  const std::string noLineFeed(300, 'v');
  device.WriteVersionFile(noLineFeed);
  observer.answerNewer = false;
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error 8 [" + noLineFeed.substr(0, 260) + "]"}));
  ExpectLinkReleased();
}
INSTANTIATE_TEST_SUITE_P(BytesBeyond, OverReportedRead, ::testing::Values(1u, 4096u));

TEST_F(Failure, NoMemoryCardStopsBeforeTheInstallFolder) {
  std::filesystem::remove_all(device.root() / "Storage Card");
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "stage 1", "progress 0 0", "error 13"}));
  EXPECT_FALSE(device.Exists(kInstallCopy));
  EXPECT_FALSE(device.Exists(kCardCopy));
  ExpectLinkReleased();
}

TEST_F(Failure, InstallFileCannotBeCreated) {
  FailCall(Op::CeCreateFile, 3);  // version file, card copy, install copy
  Run(true);
  EXPECT_EQ(observer.Errors(), Strings{"error 11"});
  EXPECT_EQ(observer.Stages(), (Strings{"stage 0", "stage 1", "stage 2"}));
  EXPECT_TRUE(HoldsPackage(kCardCopy));
  EXPECT_TRUE(IsReadOnly(kCardCopy));
  EXPECT_FALSE(device.Exists(kInstallCopy));
  EXPECT_EQ(sim::CountCalls(Op::CeCreateProcess), 0u);
}

// Both copies are complete when the installer cannot be started: they stay,
// the card's read-only, for the next run or a tap on the handheld.
TEST_F(Failure, InstallerThatDoesNotStartIsErrorNine) {
  FailCall(Op::CeCreateProcess, 1);
  Run(true);
  EXPECT_EQ(observer.Errors(), Strings{"error 9"});
  EXPECT_EQ(observer.Stages(), (Strings{"stage 0", "stage 1", "stage 2"}));
  EXPECT_TRUE(HoldsPackage(kCardCopy));
  EXPECT_TRUE(IsReadOnly(kCardCopy));
  EXPECT_TRUE(HoldsPackage(kInstallCopy));
  ExpectLinkReleased();
}

// The 200,000-byte package takes four writes a pass: 1-4 to the card, 5-8 to the install folder.
struct WriteFault {
  unsigned write;
  bool shortWrite;
  bool cardCopyStays;
};
class WriteFailure : public Failure, public ::testing::WithParamInterface<WriteFault> {};

TEST_P(WriteFailure, ReportsOnceAndLeavesNoPartialFile) {
  const WriteFault fault = GetParam();
  if (fault.shortWrite)
    config.faults.shortWriteAt = fault.write;
  else
    FailCall(Op::CeWriteFile, fault.write);
  Run(true);
  EXPECT_EQ(observer.Errors(), Strings{"error 12"});
  EXPECT_EQ(observer.log.back(), "error 12");
  EXPECT_FALSE(device.Exists(kInstallCopy));
  EXPECT_EQ(device.Exists(kCardCopy), fault.cardCopyStays);
  ExpectNoPartialFile();
  ExpectLinkReleased();
}
INSTANTIATE_TEST_SUITE_P(Chunks, WriteFailure,
                         ::testing::Values(WriteFault{1, false, false}, WriteFault{2, false, false},
                                           WriteFault{4, false, false}, WriteFault{5, false, true},
                                           WriteFault{8, false, true}, WriteFault{1, true, false},
                                           WriteFault{8, true, true}));

// Each place where the worker looks for a cancel, reached by signalling from
// inside the call just before it, and what the handheld holds afterwards: a
// cancel before the registry step leaves it untouched.
struct CancelPoint {
  const char* name;
  Op op;
  unsigned nth;
  Strings stages;
  bool cardCopyStays;
  bool registryChanged;
};
class Cancel : public Failure, public ::testing::WithParamInterface<CancelPoint> {};

TEST_P(Cancel, EndsSilentlyAndCleanly) {
  const CancelPoint point = GetParam();
  CancelInCall(point.op, point.nth);
  Run(true);
  // The worker acts on the first look that sees the cancel: after the call
  // it came in, it only tidies up. (Read before the checks below add calls
  // of their own.)
  const std::vector<sim::Call> calls = sim::Calls();
  std::size_t next = calls.size();
  for (std::size_t i = 0, seen = 0; i < calls.size(); ++i)
    if (calls[i].op == point.op && ++seen == point.nth) next = i + 1;
  ASSERT_LT(next, calls.size());
  for (std::size_t i = next; i < calls.size(); ++i) {
    const Op op = calls[i].op;
    EXPECT_TRUE(op == Op::CeCloseHandle || op == Op::CeRegCloseKey || op == Op::CeDeleteFile || op == Op::CeRapiUninit)
        << "after the cancel: " << sim::OpName(op) << " " << calls[i].detail;
  }

  EXPECT_EQ(observer.Stages(), point.stages);
  EXPECT_TRUE(observer.Errors().empty());
  Strings files = {"\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver"};
  if (point.cardCopyStays) files.push_back(kCardCopy);
  EXPECT_EQ(device.Files(), files);
  ExpectNoPartialFile();
  EXPECT_EQ(LauncherEntryPresent(), !point.registryChanged);
  EXPECT_EQ(DpiValue(), point.registryChanged ? std::optional<DWORD>(96) : std::nullopt);
  EXPECT_EQ(sim::CountCalls(Op::CeCreateProcess), 0u);
  ExpectLinkReleased();

}
INSTANTIATE_TEST_SUITE_P(
    Points, Cancel,
    ::testing::Values(CancelPoint{"AfterConnect", Op::CeRapiInitEx, 1, {"stage 0"}, false, false},
                      CancelPoint{"WhileVersionRead", Op::CeReadFile, 1, {"stage 0"}, false, false},
                      CancelPoint{"BeforeRegistry", Op::CeCloseHandle, 1, {"stage 0"}, false, false},
                      CancelPoint{"BeforeCardPass", Op::CeRegSetValueEx, 1, {"stage 0"}, false, true},
                      CancelPoint{"BeforeFirstChunk", Op::CeCreateFile, 2, {"stage 0", "stage 1"}, false, true},
                      CancelPoint{"AfterFirstChunk", Op::CeWriteFile, 1, {"stage 0", "stage 1"}, false, true},
                      CancelPoint{"AfterLastCardChunk", Op::CeWriteFile, 4, {"stage 0", "stage 1"}, false, true},
                      CancelPoint{"BeforeInstallPass", Op::CeSetFileAttributes, 2, {"stage 0", "stage 1"}, true, true},
                      CancelPoint{"BeforeFirstInstallChunk", Op::CeCreateFile, 3, {"stage 0", "stage 1", "stage 2"},
                                  true, true},
                      CancelPoint{"InInstallCopy", Op::CeWriteFile, 6, {"stage 0", "stage 1", "stage 2"}, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Failure, CancelBeforeConnectBindsNothing) {
  CancelAtReport(0);  // while stage 0 is shown
  Run(true);
  EXPECT_EQ(observer.log, Strings{"stage 0"});
  EXPECT_EQ(host.loads, 0);
}

// Whatever report a cancel arrives during, the run ends without a
// broken file and without a message; at worst it completes.
TEST_F(Failure, CancelDuringAnyNotification) {
  Run(true);
  const std::size_t total = observer.log.size();
  sim::Detach();
  for (std::size_t at = 0; at < total; ++at) {
    DeviceFolder fresh;
    fresh.MakeTypical();
    config.root = fresh.root();
    observer.log.clear();
    CancelAtReport(at);
    Run(true);
    EXPECT_TRUE(observer.Errors().empty()) << at;
    for (const char* path : {kCardCopy, kInstallCopy})
      if (fresh.Exists(path)) {
        EXPECT_EQ(fresh.Read(path), host.package) << at << path;
      }
    ExpectLinkReleased();
    sim::Detach();
    ClearCancel();  // a signal the run never looked at is not carried over
  }
}

}  // namespace
