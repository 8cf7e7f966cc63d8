// What the install worker gets from Windows: the remote API library from the
// system directory, the busy cursor through the progress dialog, and the
// package embedded in this executable.
#pragma once

#include <windows.h>

#include "worker/worker_context.h"

class SystemWorkerHost final : public WorkerHost {
 public:
  // busyWindow receives WM_APP_WORKER_BUSY; it must outlive the worker.
  // Null: a run without windows, which shows no busy cursor.
  explicit SystemWorkerHost(HWND busyWindow) : busyWindow_(busyWindow) {}

  std::unique_ptr<Library> LoadRemoteApi() override;
  void ShowBusy(bool on) override;
  const char* RequiredMark() const override;
  std::optional<Package> FindPackage() override;

 private:
  HWND busyWindow_;
};

// The "CABFILE" resource of this program, mapped in place.
std::optional<Package> FindEmbeddedPackage();
