// Whole runs that reach the end, and the version gate's decisions.
#include <gtest/gtest.h>

#include "tests/worker_fixture.h"

namespace {

using Strings = std::vector<std::string>;

// 200,000 bytes: three full chunks and one of 3,395 bytes.
const Strings kCopyProgress = {"progress 0 0",  "progress 0 0",   "progress 32 0", "progress 65 0",
                               "progress 98 0", "progress 100 0", "progress 100 1"};

Strings Concat(std::initializer_list<Strings> parts) {
  Strings all;
  for (const Strings& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

using Revision = WorkerFixture;

TEST_F(Revision, WithMemoryCard) {
  device.MakeTypical();
  Run(true);
  EXPECT_EQ(observer.log, Concat({{"stage 0", "stage 1"}, kCopyProgress, {"stage 2"}, kCopyProgress, {"stage 3"}}));
  EXPECT_TRUE(HoldsPackage(kCardCopy));
  EXPECT_TRUE(HoldsPackage(kInstallCopy));
  EXPECT_TRUE(IsReadOnly(kCardCopy));
  EXPECT_FALSE(IsReadOnly(kInstallCopy));
  EXPECT_FALSE(LauncherEntryPresent());
  EXPECT_EQ(DpiValue(), 96u);
  ExpectLinkReleased();  // the installer's process and thread handles are closed too

  Strings started;
  for (const sim::Call& call : sim::Calls())
    if (call.op == sim::Op::CeCreateProcess) started.push_back(call.detail);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_NE(started[0].find("wceload"), std::string::npos);
  EXPECT_NE(started[0].find("/noaskdest \"\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB\""), std::string::npos);
}

TEST_F(Revision, WithoutMemoryCardCopy) {
  device.MakeTypical();
  Run(false);
  EXPECT_EQ(observer.log, Concat({{"stage 0", "stage 2"}, kCopyProgress, {"stage 3"}}));
  EXPECT_EQ(device.Files(), (Strings{"\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver", kInstallCopy}));
}

TEST_F(Revision, ReplacesTheReadOnlyCardCopyOfAnEarlierRun) {
  device.MakeTypical();
  Run(true);
  ASSERT_TRUE(IsReadOnly(kCardCopy));
  host.package = MakePackage(150000, 7);
  observer.log.clear();
  Run(true);
  EXPECT_TRUE(observer.Errors().empty());
  EXPECT_TRUE(HoldsPackage(kCardCopy));
  EXPECT_TRUE(IsReadOnly(kCardCopy));
  EXPECT_TRUE(HoldsPackage(kInstallCopy));
}

TEST_F(Revision, WithoutPackageNothingIsWritten) {
  device.MakeTypical();
  host.hasPackage = false;
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "stage 3"}));
  EXPECT_FALSE(device.Exists(kCardCopy));
  EXPECT_FALSE(device.Exists(kInstallCopy));
  EXPECT_EQ(sim::CountCalls(sim::Op::CeCreateProcess), 0u);
}

// Chunks of at most 65,535 bytes, one progress notification per chunk.
class Chunking : public WorkerFixture, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(Chunking, WritesWholeChunksAndReportsEach) {
  const std::size_t size = GetParam();
  device.MakeTypical();
  host.package = MakePackage(size);
  Run(false);
  const std::size_t chunks = (size + 65534) / 65535;
  EXPECT_EQ(sim::CountCalls(sim::Op::CeWriteFile), chunks);
  EXPECT_EQ(observer.Lines("progress").size(), size == 0 ? 2 : chunks + 3);
  EXPECT_EQ(observer.Lines("progress").back(), "progress 100 1");
  EXPECT_EQ(observer.Stages().back(), "stage 3");
  EXPECT_TRUE(HoldsPackage(kInstallCopy));
}
INSTANTIATE_TEST_SUITE_P(Sizes, Chunking, ::testing::Values(0, 1, 65534, 65535, 65536, 131071, 11309905));

TEST(Percent, StaysRightForLargePackages) {
  // 100,000,000 bytes: a 32-bit product would wrap past 42,949,672 bytes.
  SimulatedHandheld handheld;
  handheld.device.MakeTypical();
  handheld.host.package.assign(100000000, 0x5A);
  RecordingObserver observer;
  handheld.Run(observer, false);
  Strings progress = observer.Lines("progress");
  ASSERT_EQ(progress.size(), 1526u + 3);
  int last = -1;
  for (std::size_t i = 0; i + 1 < progress.size(); ++i) {
    int percent = std::stoi(progress[i].substr(9));
    EXPECT_GE(percent, last) << progress[i];
    last = percent;
  }
  EXPECT_EQ(progress[764], "progress 50 0");  // 763 chunks of 65,535 bytes are 50.003 %
}

using Gate = WorkerFixture;

TEST_F(Gate, AcceptedVersionsAskNothing) {
  for (const char* version : {"Version 1.1.0.0", "Version 1.1.2.0", "Version 1.1.10.0"}) {
    DeviceFolder fresh;
    config.root = fresh.root();
    fresh.MakeTypical(version);
    observer.log.clear();
    Run(false);
    EXPECT_TRUE(observer.Errors().empty()) << version;
    EXPECT_EQ(observer.Stages().back(), "stage 3") << version;
    sim::Detach();
  }
}

TEST_F(Gate, OlderVersionIsRefusedAndNothingChanges) {
  device.MakeTypical("Version 1.0.9.9");
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error 7 [Version 1.0.9.9]"}));
  EXPECT_TRUE(LauncherEntryPresent());
  EXPECT_EQ(DpiValue(), std::nullopt);
  ExpectLinkReleased();
}

TEST_F(Gate, NewerVersionGoesOnOnlyAfterYes) {
  device.MakeTypical("Version 1.1.2.1");
  observer.answerNewer = false;
  Run(true);
  EXPECT_EQ(observer.log, (Strings{"stage 0", "error 8 [Version 1.1.2.1]"}));
  EXPECT_TRUE(LauncherEntryPresent());
  EXPECT_FALSE(device.Exists(kCardCopy));
  ExpectLinkReleased();
  sim::Detach();

  observer.log.clear();
  observer.answerNewer = true;
  Run(true);
  EXPECT_EQ(Strings(observer.log.begin(), observer.log.begin() + 3), (Strings{"stage 0", "error 8 [Version 1.1.2.1]", "stage 1"}));
  EXPECT_EQ(observer.log.back(), "stage 3");
}

TEST_F(Gate, VersionFileShapes) {
  struct Case {
    std::string bytes;
    Strings expected;
  };
  const std::string full(300, 'x');
  const Case cases[] = {
      // The version line is the last line and has no line feed: the raw text is compared and shown.
      {"ravo+ for Q58\r\nVersion 1.1.1.0", {"stage 0", "error 8 [ravo+ for Q58\r\nVersion 1.1.1.0]"}},
      {"\r\n\r\n", {"stage 0", "error 7 []"}},
      {"", {"stage 0", "error 7 []"}},
      // Only the first 260 bytes are read.
      {full, {"stage 0", "error 8 [" + full.substr(0, 260) + "]"}},
  };
  observer.answerNewer = false;
  for (const Case& c : cases) {
    DeviceFolder fresh;
    config.root = fresh.root();
    fresh.WriteVersionFile(c.bytes);
    observer.log.clear();
    Run(false);
    EXPECT_EQ(observer.log, c.expected);
    sim::Detach();
  }
}

using Registry = WorkerFixture;

TEST_F(Registry, WithoutLauncherEntryOnlyTheDensityIsWritten) {
  device.WriteVersionFile("x\nVersion 1.1.1.0\n");
  config.dpi = 192;
  Run(false);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRegDeleteKey), 0u);
  EXPECT_EQ(DpiValue(), 192u);  // the maker key did not exist and was created
  ExpectLinkReleased();         // every key opened was closed
}

TEST_F(Registry, EntryIsRemovedAndTheListStays) {
  device.MakeTypical();
  Run(false);
  EXPECT_FALSE(LauncherEntryPresent());
  auto open = reinterpret_cast<devapi::CeRegOpenKeyEx>(sim::Entry("CeRegOpenKeyEx"));
  HKEY list;
  ASSERT_EQ(open(HKEY_CURRENT_USER, CE_TEXT("Software\\Meridane\\ZenLaunch\\FileList"), 0, 0, &list), 0);
  reinterpret_cast<devapi::CeRegCloseKey>(sim::Entry("CeRegCloseKey"))(list);
  sim::Detach();

  // A second run finds nothing to remove and writes the same value again.
  Run(false);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRegDeleteKey), 0u);
  EXPECT_EQ(DpiValue(), 96u);
}

TEST_F(Registry, FailuresAreSilent) {
  device.MakeTypical();
  FailCall(sim::Op::CeRegCreateKeyEx, 1);  // the file list cannot be opened
  Run(false);
  EXPECT_TRUE(LauncherEntryPresent());
  EXPECT_EQ(DpiValue(), 96u);
  EXPECT_TRUE(observer.Errors().empty());
  EXPECT_EQ(observer.Stages().back(), "stage 3");
}

TEST_F(Registry, FailedDensityQueryWritesNothing) {
  device.MakeTypical();
  config.dpi = 0;
  Run(false);
  EXPECT_EQ(DpiValue(), std::nullopt);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRegSetValueEx), 0u);
  EXPECT_EQ(observer.Stages().back(), "stage 3");
}

}  // namespace
