// The worker on a thread of the tests' own, its reports carried to the test's
// thread through a UiChannel, as the progress dialog's system thread and
// message loop carry them.
#pragma once

#include <functional>
#include <thread>

#include "attempt/attempt.h"
#include "tests/support/ui_channel.h"

class ThreadRunner final : public WorkerRunner {
 public:
  explicit ThreadRunner(UiChannel& ui) : ui_(ui) {}
  ~ThreadRunner() {
    if (thread_.joinable()) thread_.join();
  }

  bool Start(std::function<void()> body) override {
    thread_ = std::thread([this, body = std::move(body)] {
      body();
      ui_.WorkerEnded();
    });
    return true;
  }
  void WaitForEnd(InstallObserver& reports, bool) override {
    ui_.WaitForEnd(reports);
    thread_.join();
  }

 private:
  UiChannel& ui_;
  std::thread thread_;
};
