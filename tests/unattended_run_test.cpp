// Runs with nobody to ask: the exit code each outcome gives, the quiet run
// against the simulated handheld, and the passive dialog's model.
#include <gtest/gtest.h>

#include <filesystem>

#include "progress/progress_controller.h"
#include "tests/support/fake_view.h"
#include "tests/support/recording_observer.h"
#include "tests/support/simulated_handheld.h"
#include "unattended/run_outcome.h"
#include "unattended/unattended_run.h"

namespace {

using Strings = std::vector<std::string>;
InstallError Code(unsigned value) { return static_cast<InstallError>(value); }

RunOutcome Ended(std::optional<unsigned> code, bool completed = false, bool cancelled = false) {
  RunOutcome outcome;
  outcome.completed = completed;
  outcome.cancelled = cancelled;
  if (code) outcome.error = Code(*code);
  return outcome;
}

TEST(ExitCode, EveryCodeWithABoxIsItsOwnExitCode) {
  for (unsigned code : {1u, 2u, 3u, 4u, 6u, 7u, 8u, 9u, 11u, 12u, 13u})
    EXPECT_EQ(ExitCodeFor(Ended(code)), static_cast<int>(code));
}

TEST(ExitCode, ARunThatNamesNoOutcomeIsNeverSuccess) {
  for (unsigned code : {0u, 5u, 10u, 14u, 0xFFFFFFFFu}) EXPECT_EQ(ExitCodeFor(Ended(code)), 1359) << code;
  // The demo's refusal of a real library reads as the library's own failure.
  EXPECT_EQ(ExitCodeFor(Ended(static_cast<unsigned>(InstallError::DemoOnly))), 1);
  EXPECT_EQ(ExitCodeFor(RunOutcome{}), 1359);
}

TEST(ExitCode, CompletionThenCancelThenError) {
  EXPECT_EQ(ExitCodeFor(Ended(std::nullopt, true)), 0);
  // A cancel too late to stop the installer still completed.
  EXPECT_EQ(ExitCodeFor(Ended(std::nullopt, true, true)), 0);
  EXPECT_EQ(ExitCodeFor(Ended(std::nullopt, false, true)), 1223);
  // A write that failed as the cancel came: the dialog closed as cancelled.
  EXPECT_EQ(ExitCodeFor(Ended(12, false, true)), 1223);
}

TEST(OutcomeRecorder, PassesEverythingOnAndKeepsTheFirstError) {
  RecordingObserver inner;
  inner.answerNewer = false;
  OutcomeRecorder recorder(inner);
  recorder.OnStage(InstallStage::ReadingDevice);
  recorder.OnProgress(50, false);
  EXPECT_FALSE(recorder.ConfirmNewerVersion("Version 1.1.2.1"));
  recorder.OnError(InstallError::Write, nullptr);
  EXPECT_EQ(inner.log, (Strings{"stage 0", "progress 50 0", "error 8 [Version 1.1.2.1]", "error 12"}));
  EXPECT_EQ(recorder.outcome().error, InstallError::VersionNewer);
  EXPECT_FALSE(recorder.outcome().completed);
}

class QuietRun : public ::testing::Test, protected SimulatedHandheld {
 protected:
  QuietRun() { device.MakeTypical(); }
  int Run(UnattendedSettings settings = {}) {
    Attach();
    return RunQuietly(host, cancel.get(), settings);
  }
  void ExpectHandheldUntouched() {
    EXPECT_TRUE(LauncherEntryPresent());
    EXPECT_EQ(DpiValue(), std::nullopt);
    EXPECT_FALSE(device.Exists(kCardCopy));
    EXPECT_FALSE(device.Exists(kInstallCopy));
    EXPECT_EQ(sim::CountCalls(sim::Op::CeCreateProcess), 0u);
  }
};

TEST_F(QuietRun, CompletesWithBothCopies) {
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(HoldsPackage(kCardCopy));
  EXPECT_TRUE(HoldsPackage(kInstallCopy));
  EXPECT_EQ(sim::CountCalls(sim::Op::CeCreateProcess), 1u);
}

TEST_F(QuietRun, NoCardLeavesTheCardAlone) {
  EXPECT_EQ(Run({.memoryCard = false}), 0);
  EXPECT_FALSE(device.Exists(kCardCopy));
  EXPECT_TRUE(HoldsPackage(kInstallCopy));
}

TEST_F(QuietRun, TooOldChangesNothing) {
  device.WriteVersionFile("ravo+ for Q58\r\nVersion 1.0.9.9\r\n");
  EXPECT_EQ(Run({.acceptNewer = true}), 7);
  ExpectHandheldUntouched();
}

TEST_F(QuietRun, NewerIsRefusedUnlessAccepted) {
  device.WriteVersionFile("ravo+ for Q58\r\nVersion 1.1.2.1\r\n");
  EXPECT_EQ(Run(), 8);
  ExpectHandheldUntouched();
  sim::Detach();
  EXPECT_EQ(Run({.memoryCard = false, .acceptNewer = true}), 0);
  EXPECT_TRUE(HoldsPackage(kInstallCopy));
}

TEST_F(QuietRun, NoCardIsThirteenWithNothingInstalled) {
  std::filesystem::remove_all(device.Local("\\Storage Card"));
  EXPECT_EQ(Run(), 13);
  EXPECT_FALSE(device.Exists(kInstallCopy));
  EXPECT_EQ(sim::CountCalls(sim::Op::CeCreateProcess), 0u);
}

// Bounded by the connection's time limit: nobody is there to cancel.
TEST_F(QuietRun, NoHandheldEndsWithThree) {
  config.faults.start = sim::StartMode::Never;
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRapiUninit), 1u);
}

// The progress dialog of /passive, without its window: the same controller
// over a view that shows no box.
class PassiveModel : public ::testing::Test, protected SimulatedHandheld {
 protected:
  PassiveModel() { device.MakeTypical(); }
  int Run(bool acceptNewer, bool card = true) {
    UnattendedView silent(shown, acceptNewer);
    ProgressController controller(silent);
    OutcomeRecorder recorder(controller);
    SimulatedHandheld::Run(recorder, card);
    return ExitCodeFor(recorder.outcome());
  }
  FakeView shown;
};

TEST_F(PassiveModel, ShowsProgressButNoBoxAndEndsDone) {
  EXPECT_EQ(Run(false), 0);
  EXPECT_TRUE(shown.boxes.empty());
  EXPECT_EQ(shown.result, 1);
  EXPECT_NE(std::find(shown.seen.begin(), shown.seen.end(), "bar:100"), shown.seen.end());
}

TEST_F(PassiveModel, TheQuestionIsAnsweredAsTold) {
  device.WriteVersionFile("ravo+ for Q58\r\nVersion 1.1.2.1\r\n");
  EXPECT_EQ(Run(false), 8);
  EXPECT_EQ(shown.result, 2);
  EXPECT_TRUE(LauncherEntryPresent());
  sim::Detach();
  shown = FakeView{};
  EXPECT_EQ(Run(true, false), 0);
  EXPECT_EQ(shown.result, 1);
  EXPECT_TRUE(shown.boxes.empty());
}

TEST_F(PassiveModel, AnErrorEndsTheDialogWithoutABox) {
  FailCall(sim::Op::CeWriteFile, 2);
  EXPECT_EQ(Run(false), 12);
  EXPECT_TRUE(shown.boxes.empty());
  EXPECT_EQ(shown.result, 2);
  EXPECT_FALSE(device.Exists(kCardCopy));
}

}  // namespace
