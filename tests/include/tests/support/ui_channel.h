// The user-interface thread as the progress dialog runs it: the worker's
// reports are handed to it synchronously from another thread, the way a
// window message sent across threads is, and it can wait for the worker's
// end while it keeps serving them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

#include "worker/install_observer.h"

class UiChannel final : public InstallObserver {
 public:
  // Worker side: each blocks until the user-interface thread has handled it.
  void OnStage(InstallStage stage) override;
  void OnProgress(int percent, bool copyEnded) override;
  void OnError(InstallError code, const char* version) override;
  bool ConfirmNewerVersion(const char* version) override;
  void WorkerEnded();

  // User-interface side: hands at most one report to `handler`, waiting up
  // to `limit` for it. False when none came or the worker has ended.
  bool ServeOne(InstallObserver& handler, std::chrono::microseconds limit);
  // Waits for the worker's end, handing on whatever it still reports.
  void WaitForEnd(InstallObserver& handler);
  bool ended();
  // Reports handed on so far.
  std::size_t served();

 private:
  struct Report {
    enum class Kind { Stage, Progress, Error, Question } kind;
    InstallStage stage{};
    int percent = 0;
    bool copyEnded = false;
    InstallError code{};
    const char* version = nullptr;
    bool answer = false;
    bool done = false;
  };

  void Deliver(Report& report);
  void Serve(std::unique_lock<std::mutex>& lock, InstallObserver& handler);

  std::mutex mutex_;
  std::condition_variable changed_;
  Report* pending_ = nullptr;
  bool ended_ = false;
  std::size_t served_ = 0;
};
