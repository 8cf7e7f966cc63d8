#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "progress/progress_controller.h"
#include "progress/reactions.h"

namespace {

// Records what the dialog would show, as one line per call.
class RecordingView final : public ProgressView {
 public:
  std::vector<std::string> seen;
  int answer = IDOK;
  int ended = 0;

  void SetStatus(const std::string& text) override { seen.push_back("status:" + text); }
  void SetTitle(const std::string& text) override { seen.push_back("title:" + text); }
  void SetBar(int position) override { seen.push_back("bar:" + std::to_string(position)); }
  void EnableCancel(bool enabled) override { seen.push_back(enabled ? "cancel:on" : "cancel:off"); }
  int ShowBox(const std::string& text, const std::string& caption, UINT type) override {
    seen.push_back("box:" + std::to_string(type) + ":" + caption + ":" + text);
    return answer;
  }
  void End(int result) override {
    seen.push_back("end:" + std::to_string(result));
    ended = result;
  }
  std::string DisplayVersion(const char* raw) override { return raw; }
};

struct Fixture : ::testing::Test {
  RecordingView view;
  ProgressController controller{view};
  LRESULT Error(WPARAM code, const char* version = nullptr) {
    return controller.Handle(WM_INSTALL_ERROR, code, reinterpret_cast<LPARAM>(version));
  }
};

using Stages = Fixture;
TEST_F(Stages, SetStatusThenTitle) {
  EXPECT_EQ(controller.Handle(WM_INSTALL_STAGE, 0, 0), 0);
  controller.Handle(WM_INSTALL_STAGE, 1, 0);
  controller.Handle(WM_INSTALL_STAGE, 2, 0);
  controller.Handle(WM_INSTALL_STAGE, 4, 0);  // never sent: ignored
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
  EXPECT_EQ(controller.Handle(WM_INSTALL_STAGE, 3, 0), 0);
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "box:64:データ転送が完了しました:インストールの完了に必要な追加手順がないか、"
                           "モバイル デバイスの画面を確認してください。",
                           "end:1",
                       }));
}

using Errors = Fixture;
TEST_F(Errors, EachCodeShowsOneErrorBoxAndEndsWithTwo) {
  const std::vector<std::pair<WPARAM, std::string>> expected = {
      {1, "box:16:デバイス接続:モバイルデバイスの初期化に失敗しました。"},
      {2, "box:16:デバイス接続:モバイルデバイスの接続に失敗しました。"},
      {3, "box:16:デバイス接続:モバイルデバイスと接続されていません。"},
      {4, "box:16:デバイス接続:接続しているモバイルデバイスがQ58ではありません。"},
      {6, "box:16:バージョンチェック:ravoがインストールされていません。"},
      {11, "box:16:データ転送:データ転送に失敗しました。"},
      {12, "box:16:データ転送:データ転送中にエラーが発生しました。"},
      {13, "box:16:データ転送:インストーラの転送に失敗しました。\nメモリカードを確認下さい。"},
  };
  for (const auto& [code, box] : expected) {
    RecordingView fresh;
    ProgressController handler(fresh);
    EXPECT_EQ(handler.Handle(WM_INSTALL_ERROR, code, 0), 0);
    EXPECT_EQ(fresh.seen, (std::vector<std::string>{box, "end:2"})) << "code " << code;
  }
}

TEST_F(Errors, CodesWithoutAMessageEndSilently) {
  for (WPARAM code : {0u, 5u, 9u, 10u, 14u, 1000u}) {
    RecordingView fresh;
    ProgressController handler(fresh);
    EXPECT_EQ(handler.Handle(WM_INSTALL_ERROR, code, 0), 0);
    EXPECT_EQ(fresh.seen, std::vector<std::string>{"end:2"}) << "code " << code;
  }
}

TEST_F(Errors, TooOldNamesBothVersions) {
  EXPECT_EQ(Error(7, "Version 1.0.9.9"), 0);
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "box:16:バージョンチェック:インストールされているバージョンは[Version 1.0.9.9]です。"
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
  view.answer = IDYES;
  EXPECT_EQ(Error(8, "Version 1.1.2.1"), 1);
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "box:36:バージョンチェック:インストールされているバージョンは[Version 1.1.2.1]です。"
                           "\n\nリビジョンアップを行いますか？",
                       }));
  EXPECT_FALSE(controller.quiet());
}

TEST_F(Errors, NewerAnsweredNoEndsWithTwo) {
  view.answer = IDNO;
  EXPECT_EQ(Error(8, "Version 9"), 0);
  EXPECT_EQ(view.seen.back(), "end:2");
}

using Progress = Fixture;
TEST_F(Progress, MovesBarTitleAndCancel) {
  controller.Handle(WM_INSTALL_PROGRESS, 0, 0);
  controller.Handle(WM_INSTALL_PROGRESS, 100, 1);
  controller.Handle(WM_INSTALL_PROGRESS, 42, 7);
  controller.Handle(WM_INSTALL_PROGRESS, 43, 0);
  EXPECT_EQ(view.seen, (std::vector<std::string>{
                           "bar:0", "title:デバイスにデータを転送中 (0%)", "cancel:on",
                           "bar:100", "title:デバイスにデータを転送中 (100%)", "cancel:off",
                           "bar:42", "title:デバイスにデータを転送中 (42%)", "cancel:off",
                           "bar:43", "title:デバイスにデータを転送中 (43%)", "cancel:on",
                       }));
}

using Quiet = Fixture;
TEST_F(Quiet, AfterCancelNothingReactsAndTheAnswerIsNo) {
  controller.BeginCancel();
  view.answer = IDYES;
  EXPECT_EQ(Error(8, "Version 2"), 0);
  EXPECT_EQ(Error(12), 0);
  EXPECT_EQ(controller.Handle(WM_INSTALL_STAGE, 3, 0), 0);
  EXPECT_EQ(controller.Handle(WM_INSTALL_PROGRESS, 50, 0), 0);
  EXPECT_TRUE(view.seen.empty());
}

TEST_F(Quiet, AfterTheDialogEndedNothingMoreIsShown) {
  Error(6);
  controller.Handle(WM_INSTALL_STAGE, 3, 0);
  EXPECT_EQ(view.seen.size(), 2u);
  EXPECT_EQ(view.ended, 2);
  EXPECT_FALSE(controller.CompletedDespiteCancel());
}

// The installer was started after all: the cancel is reported as the
// completion it turned into, once the worker has ended.
TEST_F(Quiet, CancelTooLateForTheInstallerReportsTheCompletion) {
  controller.BeginCancel();
  EXPECT_FALSE(controller.CompletedDespiteCancel());
  controller.Handle(WM_INSTALL_PROGRESS, 100, 1);
  EXPECT_EQ(controller.Handle(WM_INSTALL_STAGE, 3, 0), 0);
  EXPECT_TRUE(view.seen.empty());  // nothing while the dialog waits for the worker
  ASSERT_TRUE(controller.CompletedDespiteCancel());
  controller.ReportCompletion();
  ASSERT_EQ(view.seen.size(), 2u);
  EXPECT_EQ(view.seen[0].rfind("box:64:データ転送が完了しました:", 0), 0u);
  EXPECT_EQ(view.ended, 1);
}

}  // namespace
