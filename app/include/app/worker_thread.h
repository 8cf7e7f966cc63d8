// The worker on a thread of the system's, awaited in a message loop that
// keeps delivering this thread's messages, the worker's reports among them.
#pragma once

#include <windows.h>

#include <functional>

#include "app/unique_handle.h"
#include "attempt/attempt.h"

class WorkerThread final : public WorkerRunner {
 public:
  bool Start(std::function<void()> body) override;
  // The reports arrive as sent messages, which the loop delivers to their
  // window; `reports` is not called directly.
  void WaitForEnd(InstallObserver& reports, bool userWaits) override;

 private:
  static DWORD WINAPI Main(LPVOID self);

  std::function<void()> body_;
  UniqueKernelHandle thread_;
};
