// The attempt that every way of running drives: its start, its cancel and
// how each ending becomes the dialog's result and the exit code.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "attempt/attempt.h"
#include "progress/dialog_result.h"
#include "tests/support/fake_view.h"
#include "tests/support/thread_runner.h"
#include "tests/worker_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class AttemptRun : public WorkerFixture {
 protected:
  AttemptRun() { device.MakeTypical(); }
  FakeView view;
};

// Escape while the start never comes: the attempt ends at once, as cancelled,
// and the accepted start is ended.
TEST_F(AttemptRun, CancelDuringTheConnect) {
  config.faults.start = sim::StartMode::Never;
  Attach();
  UiChannel ui;
  ThreadRunner runner(ui);
  Attempt attempt(view, runner);
  ASSERT_TRUE(attempt.Start(host, ui, true));
  ASSERT_TRUE(ui.ServeOne(attempt.reports(), std::chrono::seconds(60)));  // stage 0
  while (host.busyShown.load() == 0) std::this_thread::yield();           // the start is pending
  attempt.Cancel();
  attempt.Cancel();  // a second press does nothing
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_EQ(view.result, kResultFailed);
  EXPECT_EQ(attempt.exitCode(), kExitCancelled);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRapiUninit), 1u);
  EXPECT_EQ(host.loads, host.unloads);
}

// No thread to run the worker on: the view ends as failed, and the run names
// no outcome.
TEST_F(AttemptRun, NoWorkerThread) {
  struct NoThread final : WorkerRunner {
    bool Start(std::function<void()>) override { return false; }
    void WaitForEnd(InstallObserver&, bool) override { ADD_FAILURE() << "nothing to wait for"; }
  } runner;
  Attempt attempt(view, runner);
  EXPECT_FALSE(attempt.Start(host, attempt.reports(), true));
  EXPECT_EQ(view.seen, Strings{"end:2"});
  EXPECT_EQ(attempt.exitCode(), kExitInternalError);
  attempt.Cancel();  // the view has ended: nothing more
  EXPECT_EQ(view.seen, Strings{"end:2"});
}

// A worker that dies still ends its view, with no box.
TEST_F(AttemptRun, AWorkerThatDiesEndsTheView) {
  struct ThrowingHost final : WorkerHost {
    std::unique_ptr<Library> LoadRemoteApi() override { throw std::runtime_error("no"); }
    void ShowBusy(bool) override {}
    std::optional<Package> FindPackage() override { return std::nullopt; }
  } dying;
  InlineRunner runner;
  Attempt attempt(view, runner);
  EXPECT_TRUE(attempt.Start(dying, attempt.reports(), true));
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_EQ(view.result, kResultFailed);
  EXPECT_EQ(attempt.exitCode(), kExitInternalError);
}

TEST(Ending, EachEndingGivesOneResultAndOneExitCode) {
  struct Case {
    RunOutcome outcome;
    Ending ending;
    int result;
    int exitCode;
  };
  const InstallError write = InstallError::Write;
  for (const Case& c : {Case{{true, false, {}}, Ending::Completed, kResultDone, kExitDone},
                        Case{{true, true, {}}, Ending::CompletedDespiteCancel, kResultDone, kExitDone},
                        Case{{false, true, {}}, Ending::Cancelled, kResultFailed, kExitCancelled},
                        // a write that failed as the cancel came: the dialog closed as cancelled
                        Case{{false, true, write}, Ending::Cancelled, kResultFailed, kExitCancelled},
                        Case{{false, false, write}, Ending::Failed, kResultFailed, 12},
                        Case{{false, false, {}}, Ending::Failed, kResultFailed, kExitInternalError}}) {
    EXPECT_EQ(EndingOf(c.outcome), c.ending);
    EXPECT_EQ(DialogResultFor(c.ending), c.result);
    EXPECT_EQ(ExitCodeFor(c.outcome), c.exitCode);
  }
}

}  // namespace
