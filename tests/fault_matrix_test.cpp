// Every operation the program calls, failing at its first, a middle and its
// last call of a whole revision-up, and a cancel from inside every call: the
// user sees at most one message, the dialog ends as that message says, the
// link is released, and no broken file stays on the handheld.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "progress/progress_controller.h"
#include "resources/texts.h"
#include "tests/support/fake_view.h"
#include "tests/worker_fixture.h"

namespace {

using sim::Op;

// The progress dialog's handlers on the worker's own thread.
struct DialogModel {
  DialogModel() { view.recordAll = false; }
  DialogModel(const DialogModel&) = delete;
  FakeView view;
  ProgressController controller{view};
};

struct Counts {
  std::map<Op, unsigned> perOp;
  unsigned total = 0;
};

class FaultMatrix : public WorkerFixture {
 protected:
  FaultMatrix() { host.package = MakePackage(150000); }

  // One whole attempt on a fresh typical handheld; what the user saw.
  FakeView Attempt() {
    DeviceFolder fresh;
    fresh.MakeTypical();
    config.root = fresh.root();
    DialogModel dialog;
    Run(dialog.controller, true);
    for (const char* path : {kCardCopy, kInstallCopy}) {
      if (fresh.Exists(path)) {
        EXPECT_EQ(fresh.Read(path), host.package) << "partial file " << path;
      }
    }
    sim::SetCallHook(nullptr);
    sim::Detach();
    ClearCancel();
    return dialog.view;
  }

  Counts Baseline() {
    FakeView clean = Attempt();
    EXPECT_EQ(clean.result, 1);
    Counts counts;
    for (const sim::Call& call : sim::Calls()) {
      ++counts.perOp[call.op];
      ++counts.total;
    }
    return counts;
  }

  void ExpectReleased(Op failed) {
    EXPECT_LE(sim::CountCalls(Op::CeRapiUninit), 1u);
    EXPECT_EQ(host.loads, host.unloads);
    // A close that fails leaves its handle open on the handheld; nothing more
    // can be done from this side.
    if (failed != Op::CeCloseHandle && failed != Op::CeRegCloseKey) {
      EXPECT_EQ(sim::OpenHandles(), 0u);
    }
  }
};

// The first line of the one message a failure shows; empty for silent ones.
std::string ExpectedMessage(Op op, unsigned nth) {
  switch (op) {
    case Op::CeRapiInitEx:
      return "モバイルデバイスの初期化に失敗しました。";
    case Op::CeCreateFile:
      return nth == 1 ? "ravoがインストールされていません。"
             : nth == 2 ? "インストーラの転送に失敗しました。\nメモリカードを確認下さい。"
                        : "データ転送に失敗しました。";
    case Op::CeReadFile:
      return "インストールされているバージョンは[]です。\n\nリビジョンアップを行うには、[Version 1.1.0.0]以降が必要です。";
    case Op::CeWriteFile:
      return "データ転送中にエラーが発生しました。";
    case Op::CeCreateDirectory:  // a missing folder leaves nowhere to create the install copy
      return "データ転送に失敗しました。";
    case Op::CeCreateProcess:
      return text::kInstallerStartFailed;
    default:
      return "";
  }
}

TEST_F(FaultMatrix, EveryOperationFailingAtFirstMiddleAndLastCall) {
  const Counts baseline = Baseline();
  int cases = 0;
  for (const auto& [op, count] : baseline.perOp) {
    for (unsigned nth : std::set<unsigned>{1, (count + 1) / 2, count}) {
      SCOPED_TRACE(std::string(sim::OpName(op)) + " call " + std::to_string(nth));
      config.faults = {};
      FailCall(op, nth);
      host.loads = host.unloads = 0;
      FakeView dialog = Attempt();
      const std::string expected = ExpectedMessage(op, nth);
      if (expected.empty()) {
        ASSERT_EQ(dialog.boxes.size(), 1u);  // the completion box only
        EXPECT_EQ(dialog.result, 1);
      } else {
        EXPECT_EQ(dialog.boxes, std::vector<std::string>{expected});
        EXPECT_EQ(dialog.result, 2);
      }
      ExpectReleased(op);
      ++cases;
    }
  }
  for (auto [mode, message] : {std::pair{sim::StartMode::Refuse, "モバイルデバイスの初期化に失敗しました。"},
                               std::pair{sim::StartMode::Fail, "モバイルデバイスの接続に失敗しました。"},
                               std::pair{sim::StartMode::BrokenEvent, "モバイルデバイスの接続に失敗しました。"}}) {
    config.faults = {};
    config.faults.start = mode;
    FakeView dialog = Attempt();
    EXPECT_EQ(dialog.boxes, std::vector<std::string>{message});
    EXPECT_EQ(dialog.result, 2);
    ExpectReleased(Op::CeRapiInitEx);
    ++cases;
  }
  const unsigned writes = baseline.perOp.at(Op::CeWriteFile);
  for (unsigned nth : {1u, writes / 2, writes / 2 + 1, writes}) {
    config.faults = {};
    config.faults.shortWriteAt = nth;
    FakeView dialog = Attempt();
    EXPECT_EQ(dialog.boxes, std::vector<std::string>{"データ転送中にエラーが発生しました。"});
    EXPECT_EQ(dialog.result, 2);
    ExpectReleased(Op::CeWriteFile);
    ++cases;
  }
  std::printf("fault matrix: %d cases over %zu operations\n", cases, baseline.perOp.size());
  EXPECT_EQ(baseline.perOp.size(), 16u);  // every operation the program calls was exercised
}

// The user cancels while the worker is inside a call: the dialog goes quiet
// and the worker stops at its next look, whichever call it was.
TEST_F(FaultMatrix, CancelFromInsideEveryCall) {
  const Counts baseline = Baseline();
  for (unsigned k = 1; k <= baseline.total; ++k) {
    SCOPED_TRACE("cancel in call " + std::to_string(k));
    DialogModel* current = nullptr;
    unsigned seen = 0;
    std::size_t boxesBefore = 0;
    sim::SetCallHook([&](Op, unsigned) {
      if (++seen == k && current != nullptr) {
        boxesBefore = current->view.boxes.size();
        current->controller.BeginCancel();
        SignalEvent(cancel.get());
      }
    });
    DeviceFolder fresh;
    fresh.MakeTypical();
    config.root = fresh.root();
    config.faults = {};
    DialogModel dialog;
    current = &dialog;
    Run(dialog.controller, true);
    // Only the last call, the release after the completion box, comes too
    // late for the cancel to matter.
    EXPECT_EQ(dialog.view.boxes.size(), boxesBefore);
    EXPECT_EQ(dialog.view.result, k == baseline.total ? 1 : 0);
    for (const char* path : {kCardCopy, kInstallCopy}) {
      if (fresh.Exists(path)) {
        EXPECT_EQ(fresh.Read(path), host.package) << path;
      }
    }
    ExpectReleased(Op::CeRapiInitEx);
    sim::SetCallHook(nullptr);
    sim::Detach();
    ClearCancel();
  }
  std::printf("cancel points: %u calls\n", baseline.total);
}

}  // namespace
