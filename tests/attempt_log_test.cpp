// What each outcome of an attempt writes to the diagnostic log: the lines a
// support call reads, with times and rates masked.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "log/diagnostic_log.h"
#include "tests/support/log_folder.h"
#include "tests/worker_fixture.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using sim::Op;

const std::string kInstall = "\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB";
const std::string kCard = "\\Storage Card\\Q58ravoInstall.CAB";
// What the log adds to a failure that every ordinary run meets.
const std::string kNormal = "; normal here, the run goes on";

class AttemptLog : public WorkerFixture {
 protected:
  AttemptLog() { device.MakeTypical(); }

  // The events of the last attempt, times, rates and the PC masked.
  Strings Events() const {
    Strings events = log.Events();
    auto last = events.end();
    while (last != events.begin() && (last - 1)->rfind("attempt: ", 0) != 0) --last;
    Strings attempt(last == events.begin() ? events.begin() : last - 1, events.end());
    static const std::regex kTimes(R"(\d+(\.\d+)? (ms|s|MB/s))"), kPc(R"(, on .*;)");
    for (std::string& event : attempt)
      event = std::regex_replace(std::regex_replace(event, kTimes, "# $2"), kPc, ", on PC;");
    return attempt;
  }
  bool Logged(const std::string& event) const {
    const Strings events = Events();
    return std::find(events.begin(), events.end(), event) != events.end();
  }

  LogFolder log;
};

TEST_F(AttemptLog, CompletedAttempt) {
  device.WriteVersionFile("ravo+\r\nVersion 1.1.1.0\r\n");
  device.SetDeviceName("Q58-0012");
  Run(true);
  const std::string attempt = std::string("attempt: RavoVup 1.1.2.0 ") + diag::ProgramArchitecture() +
                              ", package Version 1.1.2.0, on PC; memory-card copy on";
  EXPECT_EQ(Events(), (Strings{
                          attempt,
                          "stage 0 (reading the handheld)",
                          "remote API library: loaded",
                          "start: connected, HRESULT 0x00000000, after # ms",
                          "version file: 24 bytes read: \"ravo+\\x0D\\x0AVersion 1.1.1.0\\x0D\\x0A\"",
                          "version text: \"Version 1.1.1.0\", handheld \"Q58-0012\"",
                          "CeRegOpenKeyEx HKEY_LOCAL_MACHINE\\Software\\Meridane: failed, handheld error 2 "
                          "(file not found); normal here, the run goes on",
                          "stage 1 (memory-card copy)",
                          "CeSetFileAttributes " + kCard +
                              " normal: failed, handheld error 2 (file not found) from CeGetLastError" + kNormal,
                          "CeDeleteFile " + kCard + ": failed, handheld error 2 (file not found) from CeGetLastError" +
                              kNormal,
                          "copy " + kCard + ": 200000 bytes in # s, # MB/s",
                          "stage 2 (install copy)",
                          "copy " + kInstall + ": 200000 bytes in # s, # MB/s",
                          "stage 3 (finished)",
                          "result: done",
                      }));
}

TEST_F(AttemptLog, EachFailureNamesItsCallAndTheHandheldsError) {
  struct Case {
    const char* name;
    std::function<void()> breaks;
    Strings expected;  // in this order among the attempt's lines
  };
  const std::vector<Case> cases = {
      {"no library", [this] { host.libraryPresent = false; },
       {"remote API library: not loaded", "error 1: no usable remote API library, or the start was refused",
        "result: failed with code 1"}},
      {"incomplete library", [this] { config.faults.omit = {"CeWriteFile", "CeRegDeleteKey"}; },
       {"remote API library: unusable, it lacks CeWriteFile, CeRegDeleteKey", "result: failed with code 1"}},
      {"refused", [this] { config.faults.start = sim::StartMode::Refuse; },
       {"start: refused by CeRapiInitEx, HRESULT 0x80004005", "result: failed with code 1"}},
      {"start failed", [this] { config.faults.start = sim::StartMode::Fail; },
       {"start: failed, HRESULT 0x80004005, after # ms", "result: failed with code 2"}},
      {"not installed",
       [this] { fs::remove(device.Local("\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver")); },
       {"CeCreateFile \\Built-in Storage\\Program Files\\Svcore\\Svcore.ver: failed, handheld error 2 (file not "
        "found) from CeGetLastError",
        "version text: none, no version file; handheld name unknown (HKEY_LOCAL_MACHINE\\Ident: not found)",
        "error 6: ravo+ is not installed (no version file)", "result: failed with code 6"}},
      {"unreadable version", [this] { FailCall(Op::CeReadFile, 1); },
       {"CeReadFile \\Built-in Storage\\Program Files\\Svcore\\Svcore.ver: failed, handheld error 30 (read fault) "
        "from CeGetLastError",
        "version text: \"\", handheld name unknown (HKEY_LOCAL_MACHINE\\Ident: not found)",
        "error 7: the installed version is too old, version \"\"", "result: failed with code 7"}},
      {"too old", [this] { device.WriteVersionFile("x\nVersion 1.0.9.9\x82\xa0\n"); },
       {"version text: \"Version 1.0.9.9\\x82\\xA0\", handheld name unknown (HKEY_LOCAL_MACHINE\\Ident: not found)",
        "error 7: the installed version is too old, version \"Version 1.0.9.9\\x82\\xA0\"",
        "result: failed with code 7"}},
      {"no memory card", [this] { fs::remove_all(device.root() / "Storage Card"); },
       {"CeCreateFile " + kCard + ": failed, handheld error 3 (path not found) from CeGetLastError",
        "error 13: the memory-card copy cannot be created", "result: failed with code 13"}},
      // A read-only copy whose attribute cannot be cleared stays in the way.
      {"read-only card copy",
       [this] {
         Run(true);  // leaves the read-only copy
         FailCall(Op::CeSetFileAttributes, 1);
       },
       {"CeDeleteFile " + kCard + ": failed, handheld error 5 (access denied) from CeGetLastError",
        "CeCreateFile " + kCard + ": failed, handheld error 5 (access denied) from CeGetLastError",
        "result: failed with code 13"}},
      {"install copy not created", [this] { FailCall(Op::CeCreateFile, 3); },
       {"CeCreateFile " + kInstall + ": failed, handheld error 31 (device not functioning) from CeGetLastError",
        "error 11: the install copy cannot be created", "result: failed with code 11"}},
      {"write fault", [this] { FailCall(Op::CeWriteFile, 6); },
       {"stage 2 (install copy)",
        "CeWriteFile " + kInstall + " at byte 65535, 65535 bytes: failed, handheld error 112 (disk full) from "
        "CeGetLastError",
        "copy " + kInstall + ": stopped after 65535 of 200000 bytes in # s, # MB/s",
        "error 12: a chunk could not be written", "result: failed with code 12"}},
      {"installer not started", [this] { FailCall(Op::CeCreateProcess, 1); },
       {"copy " + kInstall + ": 200000 bytes in # s, # MB/s",
        "CeCreateProcess wceload /noaskdest \"" + kInstall +
            "\": failed, handheld error 31 (device not functioning) from CeGetLastError",
        "error 9: the installer could not be started on the handheld", "result: failed with code 9"}},
      {"short write", [this] { config.faults.shortWriteAt = 1; },
       {"CeWriteFile " + kCard + " at byte 0, 65535 bytes: only 32767 written", "result: failed with code 12"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    config = sim::Config{};
    config.root = device.root();
    config.writeCallLog = false;
    c.breaks();
    Run(true);
    sim::Detach();
    const Strings events = Events();
    auto at = events.begin();
    for (const std::string& line : c.expected) {
      at = std::find(at, events.end(), line);
      ASSERT_NE(at, events.end()) << "missing or out of order: " << line << "\nin:\n"
                                  << ::testing::PrintToString(events);
    }
    host.libraryPresent = true;
    fs::remove_all(device.root());
    fs::create_directories(device.root());
    device.MakeTypical();
  }
}

// Without the two optional entry points the run is the same; only the log
// cannot say what the handheld made of a failure.
TEST_F(AttemptLog, ALibraryWithoutTheErrorQueriesWorksAsBefore) {
  Run(true);
  const Strings completed = observer.log;
  sim::Detach();
  config.faults.omit = {"CeGetLastError", "CeRapiGetError"};
  observer.log.clear();
  Run(true);
  EXPECT_EQ(observer.log, completed);
  EXPECT_TRUE(HoldsPackage(kInstall));
  EXPECT_TRUE(
      Logged("remote API library: no CeRapiGetError, CeGetLastError, so the handheld's errors will be unknown"));
  EXPECT_TRUE(Logged("CeRegOpenKeyEx HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS): failed, "
                     "handheld error 2 (file not found)" + kNormal));  // the registry says so itself
  EXPECT_TRUE(Logged("CeCreateDirectory \\Windows: failed, handheld error unknown"));
  EXPECT_TRUE(Logged("result: done"));
}

// The handheld went away: the link's own error, not a stale one of the
// handheld.
TEST_F(AttemptLog, ALostLinkIsTheLinksError) {
  observer.onReport = [this](std::size_t i) {
    if (observer.log[i] == "stage 2") sim::Detach();
  };
  Run(true);
  EXPECT_TRUE(Logged("CeCreateDirectory \\Windows: failed, link error 0x800708CA (CeRapiGetError)"));
  EXPECT_TRUE(Logged("CeCreateFile " + kInstall + ": failed, link error 0x800708CA (CeRapiGetError)"));
  EXPECT_TRUE(Logged("result: failed with code 11"));
}

TEST_F(AttemptLog, CancelNamesItsStageAndPercentage) {
  bool installing = false;
  observer.onReport = [&](std::size_t i) {
    installing = installing || observer.log[i] == "stage 2";
    if (installing && observer.log[i] == "progress 32 0") SignalEvent(cancel.get());
  };
  Run(true);
  const Strings events = Events();
  EXPECT_EQ(Strings(events.end() - 2, events.end()),
            (Strings{"copy " + kInstall + ": stopped after 131070 of 200000 bytes in # s, # MB/s",
                     "result: cancelled in stage 2 (install copy) at 32 %"}));

  observer.onReport = nullptr;
  SignalEvent(cancel.get());  // before the connection
  Run(true);
  EXPECT_EQ(Events().back(), "result: cancelled in stage 0 (reading the handheld)");
}

TEST_F(AttemptLog, TheAnswerToTheVersionQuestion) {
  device.WriteVersionFile("ravo+\r\nVersion 1.1.2.1\r\n");
  for (bool yes : {false, true}) {
    observer.answerNewer = yes;
    Run(false);
    sim::Detach();
    const Strings events = Events();
    auto question = std::find(events.begin(), events.end(),
                              "question: the installed version \"Version 1.1.2.1\" is newer than Version 1.1.2.0");
    ASSERT_NE(question, events.end());
    EXPECT_EQ(*(question + 1), yes ? "answer: yes, go on" : "answer: no");
    EXPECT_EQ(events.back(), yes ? "result: done" : "result: not revised, the newer version was kept");
  }
}

// A dialog that was cancelled answers whatever still comes with nothing: the
// question's "No" and a failure after the cancel are the cancel's doing.
TEST_F(AttemptLog, ACancelledRunIsLoggedAsCancelled) {
  device.WriteVersionFile("ravo+\r\nVersion 1.1.2.1\r\n");
  observer.answerNewer = false;
  observer.onReport = [&](std::size_t i) {
    if (observer.log[i].rfind("error 8", 0) == 0) SignalEvent(cancel.get());
  };
  Run(false);
  sim::Detach();
  Strings events = Events();
  EXPECT_EQ(Strings(events.end() - 2, events.end()),
            (Strings{"answer: none, the attempt was cancelled", "result: cancelled in stage 0 (reading the handheld)"}));

  device.WriteVersionFile("ravo+\r\nVersion 1.1.1.0\r\n");
  FailCall(Op::CeWriteFile, 2);
  observer.onReport = [&](std::size_t i) {
    if (observer.log[i] == "progress 32 0") SignalEvent(cancel.get());
  };
  Run(false);
  events = Events();
  EXPECT_EQ(events.back(), "result: cancelled in stage 2 (install copy) at 32 %; error 12 came after the cancel");
}

// A line per event, never per chunk, and nothing of the package.
TEST_F(AttemptLog, AsManyLinesForAnyPackageAndNoneOfItsBytes) {
  host.package = MakePackage(1000);
  Run(true);  // every later run finds what this one left
  Run(true);
  const std::size_t small = Events().size();
  host.package = MakePackage(100 * 65535 + 1, 7);
  Run(true);
  EXPECT_EQ(Events().size(), small);
  std::ifstream in(log.log(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_LT(text.size(), 8000u);
  EXPECT_EQ(text.find(std::string(host.package.begin() + 4, host.package.begin() + 12)), std::string::npos);
}

}  // namespace
