#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "progress/dialog_result.h"
#include "progress/progress_controller.h"
#include "resources/texts.h"
#include "resources/version.h"
#include "tests/support/fake_view.h"
#include "tests/support/simulated_handheld.h"

namespace {

InstallStage Stage(unsigned value) { return static_cast<InstallStage>(value); }
InstallError Code(unsigned value) { return static_cast<InstallError>(value); }

// A line of FakeView's record, from the texts the program shows.
std::string Status(const char* text) { return std::string("status:") + text; }
std::string Title(const char* text) { return std::string("title:") + text; }
std::string Percent(int percent) { return Title(text::kTitleTransfer) + " (" + std::to_string(percent) + "%)"; }
std::string Box(const char* kind, const char* caption, const std::string& text) {
  return std::string("box:") + kind + ":" + caption + ":" + text;
}
// The template of texts.h with each %s replaced in turn, worked out here
// rather than by the code under test.
std::string Filled(const char* pattern, std::vector<std::string> values) {
  std::string out = pattern;
  std::size_t at = 0;
  for (const std::string& value : values) {
    at = out.find("%s", at);
    out.replace(at, 2, value);
    at += value.size();
  }
  return out;
}

struct Fixture : ::testing::Test {
  FakeView view;
  ProgressController controller{view};
  void Error(unsigned code, const char* version = nullptr) { controller.OnError(Code(code), version); }
};

using Stages = Fixture;
TEST_F(Stages, SetStatusThenTitle) {
  controller.OnStage(Stage(0));
  controller.OnStage(Stage(1));
  controller.OnStage(Stage(2));
  controller.OnStage(Stage(4));  // never sent: ignored
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           Status(text::kStatusReading),
                           Title(text::kTitleReading),
                           Status(text::kStatusCardCopy),
                           Title(text::kTitleTransfer),
                           Status(text::kStatusInstall),
                           Title(text::kTitleTransfer),
                       }));
}

TEST_F(Stages, FinishedShowsCompletionThenEndsWithOne) {
  controller.OnStage(Stage(3));
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           Box("information", text::kDoneCaption, text::kDoneText),
                           "end:1",
                       }));
}

using Errors = Fixture;
TEST_F(Errors, EachCodeShowsOneErrorBoxAndEndsWithTwo) {
  const std::vector<std::pair<unsigned, std::string>> expected = {
      {1, Box("error", text::kCaptionConnect, text::kInitFailed)},
      {2, Box("error", text::kCaptionConnect, text::kConnectFailed)},
      {3, Box("error", text::kCaptionConnect, text::kNotConnected)},
      {4, Box("error", text::kCaptionConnect, text::kNotQ58)},
      {6, Box("error", text::kCaptionVersion, text::kNotInstalled)},
      {11, Box("error", text::kCaptionTransfer, text::kInstallCreateFailed)},
      {12, Box("error", text::kCaptionTransfer, text::kWriteFailed)},
      {13, Box("error", text::kCaptionTransfer, text::kCardCreateFailed)},
  };
  for (const auto& [code, box] : expected) {
    FakeView fresh;
    ProgressController handler(fresh);
    handler.OnError(Code(code), nullptr);
    EXPECT_EQ(fresh.seen, (std::vector<std::string>{box, "end:2"})) << "code " << code;
  }
}

TEST_F(Errors, CodesWithoutAMessageEndSilently) {
  for (unsigned code : {0u, 5u, 10u, 14u, 1000u, 0xFFFFFFFFu}) {
    FakeView fresh;
    ProgressController handler(fresh);
    handler.OnError(Code(code), nullptr);
    EXPECT_EQ(fresh.seen, std::vector<std::string>{"end:2"}) << "code " << code;
  }
}

TEST_F(Errors, TooOldNamesBothVersions) {
  Error(7, "Version 1.0.9.9");
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           Box("error", text::kCaptionVersion,
                               Filled(text::kVersionTooOldTemplate, {"Version 1.0.9.9", RAVO_MINIMUM_VERSION})),
                           "end:2",
                       }));
}

TEST_F(Errors, VersionTextIsInsertedUnchanged) {
  Error(7, "");
  Error(7, "%s%d\r\n");  // never taken as a format
  ASSERT_EQ(view.seen.size(), 2u);  // the first box ended the dialog; the second is not shown
  EXPECT_EQ(view.seen[0], Box("error", text::kCaptionVersion, Filled(text::kVersionTooOldTemplate, {"", RAVO_MINIMUM_VERSION})));
}

TEST_F(Errors, NewerAsksAndYesGoesOn) {
  view.answer = BoxAnswer::Yes;
  EXPECT_TRUE(controller.ConfirmNewerVersion("Version 1.1.2.1"));
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           Box("question", text::kCaptionVersion,
                               Filled(text::kVersionNewerTemplate, {"Version 1.1.2.1"})),
                       }));
  EXPECT_FALSE(controller.quiet());
}

TEST_F(Errors, NewerAnsweredNoEndsWithTwo) {
  view.answer = BoxAnswer::No;
  EXPECT_FALSE(controller.ConfirmNewerVersion("Version 9"));
  EXPECT_EQ(view.seen.back(), "end:2");
}

// Code 8 arriving as an error still shows the question; whatever the
// answer, nobody waits for it, so a No ends the dialog as the question does.
TEST_F(Errors, NewerAsAnErrorAsksTheSameQuestion) {
  Error(8, "Version 9");
  ASSERT_EQ(view.seen.size(), 2u);
  EXPECT_EQ(view.seen[0], Box("question", text::kCaptionVersion, Filled(text::kVersionNewerTemplate, {"Version 9"})));
  EXPECT_EQ(view.seen[1], "end:2");
}

using Progress = Fixture;
TEST_F(Progress, MovesBarTitleAndCancel) {
  controller.OnProgress(0, false);
  controller.OnProgress(100, true);
  controller.OnProgress(42, true);
  controller.OnProgress(43, false);
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "bar:0", Percent(0), "cancel:on",
                           "bar:100", Percent(100), "cancel:off",
                           "bar:42", Percent(42), "cancel:off",
                           "bar:43", Percent(43), "cancel:on",
                       }));
}

// Under Wine each change of the title and the bar costs the window a redraw;
// a chunk that leaves the percentage as it was must not.
TEST_F(Progress, BarAndTitleChangeOnlyWithThePercentage) {
  controller.OnStage(Stage(1));
  view.seen.clear();
  controller.OnProgress(0, false);
  controller.OnProgress(0, false);
  controller.OnProgress(1, false);
  controller.OnProgress(1, false);
  controller.OnProgress(100, false);
  controller.OnProgress(100, true);
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "bar:0", Percent(0), "cancel:on",
                           "cancel:on",
                           "bar:1", Percent(1), "cancel:on",
                           "cancel:on",
                           "bar:100", Percent(100), "cancel:on",
                           "cancel:off",
                       }));
}

// A stage replaces the title with its own text: the next percentage is
// shown again even when it is the one shown before.
TEST_F(Progress, AStageTitleIsReplacedByTheNextPercentage) {
  controller.OnProgress(42, false);
  controller.OnStage(Stage(2));
  view.seen.clear();
  controller.OnProgress(42, false);
  EXPECT_EQ(view.seen, (std::vector<std::string>{"bar:42", Percent(42), "cancel:on"}));
}

// The shipped package's size through the worker: each copy shows every
// percentage from 0 to 100 once, in order, whatever the number of chunks.
TEST(ProgressOfAWholeRun, EachPercentageIsShownOncePerCopy) {
  SimulatedHandheld handheld;
  handheld.device.MakeTypical();
  handheld.host.package = MakePackage(11309905);
  FakeView view;
  ProgressController controller(view);
  handheld.Run(controller, true);
  std::vector<std::string> bars, titles;
  for (const std::string& line : view.seen) {
    if (line.rfind("bar:", 0) == 0) bars.push_back(line);
    if (line.rfind("title:", 0) == 0 && line.find('%') != std::string::npos) titles.push_back(line);
  }
  std::vector<std::string> expected;
  for (int copy = 0; copy < 2; ++copy)
    for (int percent = 0; percent <= 100; ++percent) expected.push_back("bar:" + std::to_string(percent));
  EXPECT_EQ(bars, expected);
  EXPECT_EQ(titles.size(), expected.size());
  EXPECT_EQ(std::count(view.seen.begin(), view.seen.end(), "cancel:on"), 2 * (173 + 2));
  EXPECT_EQ(view.result, kResultDone);
}

using Quiet = Fixture;
TEST_F(Quiet, AfterCancelNothingReactsAndTheAnswerIsNo) {
  controller.BeginCancel();
  view.answer = BoxAnswer::Yes;
  EXPECT_FALSE(controller.ConfirmNewerVersion("Version 2"));
  Error(12);
  controller.OnStage(Stage(0));
  controller.OnStage(Stage(3));
  controller.OnProgress(50, false);
  EXPECT_TRUE(view.seen.empty());
}

TEST_F(Quiet, AfterTheDialogEndedNothingMoreIsShown) {
  Error(6);
  controller.OnStage(Stage(3));
  EXPECT_FALSE(controller.ConfirmNewerVersion("Version 2"));
  EXPECT_EQ(view.seen.size(), 2u);
  EXPECT_EQ(view.result, kResultFailed);
  EXPECT_FALSE(controller.CompletedDespiteCancel());
}

// The installer was started after all: the cancel is reported as the
// completion it turned into, once the worker has ended.
TEST_F(Quiet, CancelTooLateForTheInstallerReportsTheCompletion) {
  controller.BeginCancel();
  EXPECT_FALSE(controller.CompletedDespiteCancel());
  controller.OnProgress(100, true);
  controller.OnStage(Stage(3));
  EXPECT_TRUE(view.seen.empty());  // nothing while the dialog waits for the worker
  ASSERT_TRUE(controller.CompletedDespiteCancel());
  controller.ReportCompletion();
  ASSERT_EQ(view.seen.size(), 2u);
  EXPECT_EQ(view.seen[0], Box("information", text::kDoneCaption, text::kDoneText));
  EXPECT_EQ(view.result, kResultDone);
}

}  // namespace
