#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "progress/progress_controller.h"
#include "tests/support/fake_view.h"
#include "tests/support/simulated_handheld.h"

namespace {

InstallStage Stage(unsigned value) { return static_cast<InstallStage>(value); }
InstallError Code(unsigned value) { return static_cast<InstallError>(value); }

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
                           "status:モバイル デバイスからアプリケーションのデータを取得しています...",
                           "title:デバイスのデータを取得中",
                           "status:インストーラファイルを転送しています...",
                           "title:デバイスにデータを転送中",
                           "status:アプリケーションをインストールしています...",
                           "title:デバイスにデータを転送中",
                       }));
}

TEST_F(Stages, FinishedShowsCompletionThenEndsWithOne) {
  controller.OnStage(Stage(3));
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "box:information:データ転送が完了しました:インストールの完了に必要な追加手順がないか、"
                           "モバイル デバイスの画面を確認してください。",
                           "end:1",
                       }));
}

using Errors = Fixture;
TEST_F(Errors, EachCodeShowsOneErrorBoxAndEndsWithTwo) {
  const std::vector<std::pair<unsigned, std::string>> expected = {
      {1, "box:error:デバイス接続:モバイルデバイスの初期化に失敗しました。"},
      {2, "box:error:デバイス接続:モバイルデバイスの接続に失敗しました。"},
      {3, "box:error:デバイス接続:モバイルデバイスと接続されていません。"},
      {4, "box:error:デバイス接続:接続しているモバイルデバイスがQ58ではありません。"},
      {6, "box:error:バージョンチェック:ravoがインストールされていません。"},
      {11, "box:error:データ転送:データ転送に失敗しました。"},
      {12, "box:error:データ転送:データ転送中にエラーが発生しました。"},
      {13, "box:error:データ転送:インストーラの転送に失敗しました。\nメモリカードを確認下さい。"},
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
                           "box:error:バージョンチェック:インストールされているバージョンは[Version 1.0.9.9]です。"
                           "\n\nリビジョンアップを行うには、[Version 1.1.0.0]以降が必要です。",
                           "end:2",
                       }));
}

TEST_F(Errors, VersionTextIsInsertedUnchanged) {
  Error(7, "");
  Error(7, "%s%d\r\n");  // never taken as a format
  ASSERT_EQ(view.seen.size(), 2u);  // the first box ended the dialog; the second is not shown
  EXPECT_NE(view.seen[0].find("は[]です。"), std::string::npos);
}

TEST_F(Errors, NewerAsksAndYesGoesOn) {
  view.answer = BoxAnswer::Yes;
  EXPECT_TRUE(controller.ConfirmNewerVersion("Version 1.1.2.1"));
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "box:question:バージョンチェック:インストールされているバージョンは[Version 1.1.2.1]です。"
                           "\n\nリビジョンアップを行いますか？",
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
  EXPECT_EQ(view.seen[0].rfind("box:question:バージョンチェック:インストールされているバージョンは[Version 9]です。", 0), 0u);
  EXPECT_EQ(view.seen[1], "end:2");
}

using Progress = Fixture;
TEST_F(Progress, MovesBarTitleAndCancel) {
  controller.OnProgress(0, false);
  controller.OnProgress(100, true);
  controller.OnProgress(42, true);
  controller.OnProgress(43, false);
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "bar:0", "title:デバイスにデータを転送中 (0%)", "cancel:on",
                           "bar:100", "title:デバイスにデータを転送中 (100%)", "cancel:off",
                           "bar:42", "title:デバイスにデータを転送中 (42%)", "cancel:off",
                           "bar:43", "title:デバイスにデータを転送中 (43%)", "cancel:on",
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
                           "bar:0", "title:デバイスにデータを転送中 (0%)", "cancel:on",
                           "cancel:on",
                           "bar:1", "title:デバイスにデータを転送中 (1%)", "cancel:on",
                           "cancel:on",
                           "bar:100", "title:デバイスにデータを転送中 (100%)", "cancel:on",
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
  EXPECT_EQ(view.seen, (std::vector<std::string>{"bar:42", "title:デバイスにデータを転送中 (42%)", "cancel:on"}));
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
  EXPECT_EQ(view.result, 1);
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
  EXPECT_EQ(view.result, 2);
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
  EXPECT_EQ(view.seen[0].rfind("box:information:データ転送が完了しました:", 0), 0u);
  EXPECT_EQ(view.result, 1);
}

}  // namespace
