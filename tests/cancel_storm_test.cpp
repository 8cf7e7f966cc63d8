// Cancels on real threads, through the attempt the progress dialog drives:
// the attempt signals the event, then waits for the worker's end while still
// serving its reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "attempt/attempt.h"
#include "progress/dialog_result.h"
#include "tests/support/fake_view.h"
#include "tests/support/thread_runner.h"
#include "tests/worker_fixture.h"

namespace {

struct Outcome {
  bool cancelled = false;
  int boxesAfterCancel = 0;
  int result = 0;
  int exitCode = 0;
};

// One attempt; the user presses Cancel once `cancelAfter` reports have
// been handled, after a further pause of `pause`.
Outcome RunOne(TestHost& host, std::size_t cancelAfter, std::chrono::microseconds pause) {
  UiChannel ui;
  ThreadRunner runner(ui);
  FakeView view;
  view.recordAll = false;
  Attempt attempt(view, runner);
  EXPECT_TRUE(attempt.Start(host, ui, true));

  Outcome outcome;
  while (view.result == 0 && !ui.ended()) {
    if (ui.served() >= cancelAfter) {
      std::this_thread::sleep_for(pause);
      if (view.result != 0) break;
      const std::size_t boxes = view.boxes.size();
      attempt.Cancel();
      outcome.cancelled = true;
      outcome.boxesAfterCancel = static_cast<int>(view.boxes.size() - boxes);
      break;
    }
    ui.ServeOne(attempt.reports(), std::chrono::milliseconds(1));
  }
  attempt.WaitForEnd();  // as the window's destruction does
  outcome.result = view.result;
  outcome.exitCode = attempt.exitCode();
  return outcome;
}

using CancelStorm = WorkerFixture;

// RAVO_STORM_ATTEMPTS sets the number of attempts (2,000 by default).
int Attempts() {
  const char* value = std::getenv("RAVO_STORM_ATTEMPTS");
  return value != nullptr ? std::atoi(value) : 2000;
}

TEST_F(CancelStorm, NeverHangsNeverShowsAMessageNeverLeavesAPartialFile) {
  device.MakeTypical();
  host.package = MakePackage(150000);  // three chunks a pass: every phase gets hit
  Attach();
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::size_t> moment(0, 20);
  std::uniform_int_distribution<int> pause(0, 300);
  int cancelled = 0;
  int tooLate = 0;
  const int attempts = Attempts();
  for (int attempt = 0; attempt < attempts; ++attempt) {
    const std::size_t startsBefore = sim::CountCalls(sim::Op::CeCreateProcess);
    Outcome outcome = RunOne(host, moment(random), std::chrono::microseconds(pause(random)));
    const bool installerStarted = sim::CountCalls(sim::Op::CeCreateProcess) > startsBefore;
    // A cancel the worker no longer looked for ends as the completion it was;
    // every other cancel shows nothing and ends as failed.
    if (outcome.cancelled && !installerStarted) {
      ++cancelled;
      ASSERT_EQ(outcome.boxesAfterCancel, 0) << "attempt " << attempt;
      ASSERT_EQ(outcome.result, kResultFailed) << "attempt " << attempt;
      ASSERT_EQ(outcome.exitCode, kExitCancelled) << "attempt " << attempt;
    } else {
      if (outcome.cancelled) ++tooLate;
      ASSERT_TRUE(installerStarted) << "attempt " << attempt;
      ASSERT_EQ(outcome.boxesAfterCancel, outcome.cancelled ? 1 : 0) << "attempt " << attempt;
      ASSERT_EQ(outcome.result, kResultDone) << "attempt " << attempt;
      ASSERT_EQ(outcome.exitCode, kExitDone) << "attempt " << attempt;
    }
    ExpectNoPartialFile();
    ASSERT_EQ(sim::OpenHandles(), 0u) << "attempt " << attempt;
    ASSERT_EQ(host.loads, host.unloads);
  }
  std::printf("%d attempts: %d cancelled, %d cancelled too late to stop the installer\n", attempts, cancelled,
              tooLate);
  EXPECT_GT(cancelled, attempts / 2);
}

}  // namespace
