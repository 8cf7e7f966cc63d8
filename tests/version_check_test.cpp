// /check: each verdict, its exit code and its box, and a handheld left
// exactly as it was: no call that writes, creates, deletes or starts.
#include <gtest/gtest.h>

#include <set>

#include "device/library.h"
#include "progress/progress_controller.h"
#include "resources/texts.h"
#include "tests/support/simulated_handheld.h"
#include "unattended/check_report.h"
#include "worker/version_check.h"

namespace {

using sim::Op;

std::string Shown(const char* raw) { return raw; }

class Check : public ::testing::Test, protected SimulatedHandheld {
 protected:
  Check() { device.MakeTypical(); }

  VersionCheck Run() {
    config.writeCallLog = false;
    Attach();
    VersionCheck check = CheckInstalledVersion(host);
    const std::set<Op> readOnly = {Op::CeRapiInitEx,   Op::CeRapiUninit,      Op::CeCreateFile,  Op::CeReadFile,
                                   Op::CeCloseHandle,  Op::CeRegOpenKeyEx,    Op::CeRegCloseKey, Op::CeRegQueryValueEx,
                                   Op::CeRapiGetError, Op::CeGetLastError};
    calls = sim::Calls();
    for (const sim::Call& call : calls) {
      EXPECT_TRUE(readOnly.count(call.op)) << "a check called " << sim::OpName(call.op) << " " << call.detail;
      if (call.op == Op::CeCreateFile) {
        EXPECT_NE(call.detail.find("Svcore.ver"), std::string::npos);
      }
    }
    EXPECT_EQ(sim::OpenHandles(), 0u);
    EXPECT_EQ(host.loads, host.unloads);
    Detach();
    return check;
  }

  std::vector<sim::Call> calls;  // of the last check
};

TEST_F(Check, EachInstalledVersionHasItsVerdictCodeAndBox) {
  struct Case {
    std::string version;
    CheckVerdict verdict;
    int exitCode;
    std::string box;
  };
  const std::string head = "インストールされているバージョンは[";
  const std::vector<Case> cases = {
      {"Version 1.1.2.0", CheckVerdict::Latest, 0, head + "Version 1.1.2.0]です。\n\n最新のバージョンです。"},
      {"Version 1.1.1.0", CheckVerdict::Outdated, 10, head + "Version 1.1.1.0]です。\n\nリビジョンアップが必要です。"},
      {"Version 1.1.0.0", CheckVerdict::Outdated, 10, head + "Version 1.1.0.0]です。\n\nリビジョンアップが必要です。"},
      {"Version 1.1.2.1", CheckVerdict::Newer, 8,
       head + "Version 1.1.2.1]です。\n\n[Version 1.1.2.0]より新しいバージョンです。"},
      {"Version 1.0.9.9", CheckVerdict::TooOld, 7,
       head + "Version 1.0.9.9]です。\n\nリビジョンアップを行うには、[Version 1.1.0.0]以降が必要です。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    device.WriteVersionFile("ravo+\r\n" + c.version + "\r\n");
    const VersionCheck check = Run();
    EXPECT_EQ(check.verdict, c.verdict);
    EXPECT_EQ(ExitCodeFor(check), c.exitCode);
    const CheckBox box = CheckBoxFor(check, Shown);
    EXPECT_EQ(box.text, c.box);
    EXPECT_EQ(box.caption, text::kCaptionVersion);
    EXPECT_EQ(box.kind, c.verdict == CheckVerdict::TooOld ? BoxKind::Error : BoxKind::Information);
  }
}

// Whatever keeps a revision-up from reading the version gives its code and
// its box.
TEST_F(Check, FailuresAreTheRevisionUpsOwn) {
  std::filesystem::remove(device.Local("\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver"));
  VersionCheck check = Run();
  EXPECT_EQ(check.verdict, CheckVerdict::NotInstalled);
  EXPECT_EQ(ExitCodeFor(check), 6);
  EXPECT_EQ(CheckBoxFor(check, Shown).text, text::kNotInstalled);

  struct Start {
    sim::StartMode mode;
    int exitCode;
    const char* text;
  };
  for (Start s : {Start{sim::StartMode::Refuse, 1, text::kInitFailed}, Start{sim::StartMode::Fail, 2, text::kConnectFailed},
                  Start{sim::StartMode::Never, 3, text::kNotConnected}}) {
    config.faults.start = s.mode;
    check = Run();
    EXPECT_EQ(check.verdict, CheckVerdict::NoConnection);
    EXPECT_EQ(ExitCodeFor(check), s.exitCode);
    const CheckBox box = CheckBoxFor(check, Shown);
    EXPECT_EQ(box.text, s.text);
    EXPECT_EQ(box.caption, text::kCaptionConnect);
    EXPECT_EQ(box.kind, BoxKind::Error);
  }
}

// A demo program uses the simulated handheld only: a library without its
// mark is not called at all.
TEST_F(Check, ADemoProgramRefusesALibraryWithoutTheMark) {
  host.requiredMark = kSimulatedHandheldMark;
  config.faults.omit = {kSimulatedHandheldMark};
  VersionCheck check = Run();
  EXPECT_EQ(check.verdict, CheckVerdict::NoConnection);
  EXPECT_EQ(ExitCodeFor(check), 1);
  EXPECT_EQ(CheckBoxFor(check, Shown).text, text::kDemoRefused);
  EXPECT_TRUE(calls.empty());

  config.faults.omit.clear();
  EXPECT_EQ(Run().verdict, CheckVerdict::Outdated) << "the simulated handheld carries the mark";
}

}  // namespace
