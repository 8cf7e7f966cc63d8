// Cancels on real threads, the way the progress dialog does it: signal the
// event, then wait for the worker's end while still serving notifications.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "progress/progress_controller.h"
#include "tests/support/ui_channel.h"
#include "tests/support/worker_fixture.h"

namespace {

class CountingView final : public ProgressView {
 public:
  int boxes = 0;
  int result = 0;
  void SetStatus(const std::string&) override {}
  void SetTitle(const std::string&) override {}
  void SetBar(int) override {}
  void EnableCancel(bool) override {}
  int ShowBox(const std::string&, const std::string&, UINT) override {
    ++boxes;
    return IDOK;
  }
  void End(int code) override { result = code; }
  std::string DisplayVersion(const char* raw) override { return raw; }
};

struct Outcome {
  bool cancelled = false;
  int boxesAfterCancel = 0;
  int result = 0;
};

// One attempt; the user presses Cancel once `cancelAfter` notifications have
// been handled, after a further pause of `pause`.
Outcome Attempt(TestHost& host, HANDLE cancel, std::size_t cancelAfter, std::chrono::microseconds pause) {
  UiChannel ui;
  CountingView view;
  ProgressController controller(view);
  std::size_t served = 0;
  auto handle = [&](UINT message, WPARAM wParam, LPARAM lParam) {
    ++served;
    return controller.Handle(message, wParam, lParam);
  };

  std::thread worker([&] {
    InstallWorker(WorkerContext{ui.window(), cancel, 1}, host);
    ui.WorkerEnded();
  });
  Outcome outcome;
  while (view.result == 0 && !ui.ended()) {
    if (served >= cancelAfter) {
      std::this_thread::sleep_for(pause);
      if (view.result != 0) break;
      const int boxes = view.boxes;
      controller.BeginCancel();
      SignalEvent(cancel);
      ui.WaitForEnd(handle);
      if (controller.CompletedDespiteCancel())
        controller.ReportCompletion();
      else
        view.End(2);
      outcome.cancelled = true;
      outcome.boxesAfterCancel = view.boxes - boxes;
      break;
    }
    ui.ServeOne(handle, std::chrono::milliseconds(1));
  }
  ui.WaitForEnd(handle);  // as the window's destruction does
  worker.join();
  WaitForEvent(cancel, 0);  // the next attempt starts with a fresh, unsignalled event
  outcome.result = view.result;
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
    Outcome outcome = Attempt(host, cancel, moment(random), std::chrono::microseconds(pause(random)));
    const bool installerStarted = sim::CountCalls(sim::Op::CeCreateProcess) > startsBefore;
    // A cancel the worker no longer looked for ends as the completion it was;
    // every other cancel shows nothing and ends with 2.
    if (outcome.cancelled && !installerStarted) {
      ++cancelled;
      ASSERT_EQ(outcome.boxesAfterCancel, 0) << "attempt " << attempt;
      ASSERT_EQ(outcome.result, 2) << "attempt " << attempt;
    } else {
      if (outcome.cancelled) ++tooLate;
      ASSERT_TRUE(installerStarted) << "attempt " << attempt;
      ASSERT_EQ(outcome.boxesAfterCancel, outcome.cancelled ? 1 : 0) << "attempt " << attempt;
      ASSERT_EQ(outcome.result, 1) << "attempt " << attempt;
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
