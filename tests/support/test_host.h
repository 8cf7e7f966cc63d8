// The worker's platform for native tests: the simulated handheld as the
// remote API library, a package of the test's choosing, and counters.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "worker/worker_context.h"

class TestHost final : public WorkerHost {
 public:
  bool libraryPresent = true;
  bool hasPackage = true;
  std::vector<BYTE> package;
  // Entry points the library hands out in place of the simulator's, by name.
  std::map<std::string, void*> replaced;
  // What a demo program asks of the library; null as in a release.
  const char* requiredMark = nullptr;

  std::atomic<int> loads{0};
  std::atomic<int> unloads{0};
  std::atomic<int> busyShown{0};
  std::atomic<int> busyHidden{0};

  std::unique_ptr<Library> LoadRemoteApi() override;
  void ShowBusy(bool on) override { ++(on ? busyShown : busyHidden); }
  const char* RequiredMark() const override { return requiredMark; }
  std::optional<Package> FindPackage() override;
};

// Deterministic bytes that start like a cabinet.
std::vector<BYTE> MakePackage(std::size_t size, unsigned seed = 1);
