// Transfer figures: one full pass of the shipped package's size through the
// worker and the simulated handheld, against a plain loop that makes the same
// remote calls through the same simulated handheld, so that the ratio is the
// worker's own cost. Prints `name: value (aim: ...)` lines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/link_figures.h"
#include "bench/log_figures.h"
#include "bench/plain_run.h"
#include "tests/support/simulated_handheld.h"
#include "sim/sim.h"
#include "worker/install_worker.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kPackageSize = 11309905;
constexpr std::size_t kChunk = 65535;
// Each round is some 10 ms, so the runs of other programs on this machine
// land on a few of them: the fastest of many is the cost itself.
constexpr int kRounds = 31;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return -1;
}

// Resets the peak resident size so the next reading covers one run only.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The same chunks written to a file of the same folder with no simulator in
// between: what the simulated handheld itself costs.
double FileLoop(const std::filesystem::path& file, const std::vector<BYTE>& package) {
  auto start = Clock::now();
  std::FILE* out = std::fopen(file.c_str(), "wb");
  for (std::size_t at = 0; at < package.size(); at += kChunk)
    std::fwrite(package.data() + at, 1, std::min(kChunk, package.size() - at), out);
  std::fclose(out);
  return Seconds(Clock::now() - start);
}

struct PassTimes {
  double whole;  // connect to release
  double copy;   // from the copy's first chunk to the end of its last
};

// Watches a run at the least cost, so that the figures are the worker's: it
// counts the reports and notes when the chunk writes begin and end.
class CopyClock final : public InstallObserver {
 public:
  std::size_t reports = 0;
  Clock::time_point copyStart, copyEnd;

  void OnStage(InstallStage) override { ++reports; }
  // The second 0 % comes once the target is open, right before the first
  // chunk; the report that ends the copy comes right after the last.
  void OnProgress(int percent, bool copyEnded) override {
    ++reports;
    if (percent == 0 && ++zeros_ == 2) copyStart = Clock::now();
    if (copyEnded) copyEnd = Clock::now();
  }
  void OnError(InstallError, const char*) override { ++reports; }
  bool ConfirmNewerVersion(const char*) override { return ++reports, true; }

 private:
  int zeros_ = 0;
};

PassTimes WorkerPass(SimulatedHandheld& handheld, std::size_t* reports = nullptr) {
  CopyClock observer;
  const auto start = Clock::now();
  InstallWorker(WorkerContext{&observer, handheld.cancel.get(), 0}, handheld.host);
  const auto end = Clock::now();
  if (reports != nullptr) *reports = observer.reports;
  return {Seconds(end - start), Seconds(observer.copyEnd - observer.copyStart)};
}

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The simulated handheld's folder goes to memory where it can: replacing an
// 11 MB file on a disk file system waits now and then for its pages, a wait
// that falls on whichever run comes next and belongs to neither.
class FolderInMemory {
 public:
  FolderInMemory() {
    const char* old = std::getenv("TMPDIR");
    if (old != nullptr) old_ = old;
    std::error_code error;
    inMemory_ = std::filesystem::is_directory("/dev/shm", error) && access("/dev/shm", W_OK) == 0;
    if (inMemory_) setenv("TMPDIR", "/dev/shm", 1);
  }
  ~FolderInMemory() {
    if (old_) setenv("TMPDIR", old_->c_str(), 1);
    else unsetenv("TMPDIR");
  }
  const char* where() const { return inMemory_ ? "/dev/shm" : "the temporary folder"; }

 private:
  std::optional<std::string> old_;
  bool inMemory_ = false;
};

// The remote calls of the calls made since `from`, as the simulator saw them.
std::vector<std::string> CallsSince(std::size_t from) {
  std::vector<std::string> calls;
  const std::vector<sim::Call> all = sim::Calls();
  for (std::size_t i = from; i < all.size(); ++i)
    calls.push_back(std::string(sim::OpName(all[i].op)) + " " + all[i].detail);
  return calls;
}

// Whether the last run left the package whole on the handheld, and the plain
// loop made exactly the worker's calls.
bool PrintTransferFigures(const std::vector<BYTE>& package) {
  FolderInMemory folder;
  SimulatedHandheld handheld;
  handheld.device.MakeTypical();
  handheld.host.package = package;
  handheld.Attach();
  const auto fileLoopTarget = handheld.device.root() / "plain.bin";

  // The first run removes the launcher's entry and creates the maker's key;
  // from the second on, every run meets the same handheld.
  WorkerPass(handheld);
  std::size_t reports = 0;
  std::size_t before = sim::Calls().size();
  WorkerPass(handheld, &reports);
  const std::vector<std::string> workerCalls = CallsSince(before);
  before = sim::Calls().size();
  PlainRun(handheld.host.package);
  const bool sameCalls = CallsSince(before) == workerCalls;

  // Each replaces the 11 MB file the other left, and the file system makes
  // that wait now and then; taking turns at going first spreads the waits.
  std::vector<double> worker, copy, plain, plainCopy, file;
  long peakBeyond = 0;
  for (int round = 0; round < kRounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      if ((round + turn) % 2 == 0) {
        PlainTimes loop = PlainRun(handheld.host.package);
        plain.push_back(loop.whole);
        plainCopy.push_back(loop.copy);
      } else {
        long rss = StatusKb("VmRSS:");
        ResetPeak();
        PassTimes times = WorkerPass(handheld);
        worker.push_back(times.whole);
        copy.push_back(times.copy);
        peakBeyond = std::max(peakBeyond, StatusKb("VmHWM:") - rss);
      }
    }
  }
  for (int round = 0; round < kRounds; ++round) file.push_back(FileLoop(fileLoopTarget, package));
  const bool identical = handheld.HoldsPackage(kInstallCopy);

  std::printf("transfer.package_bytes: %zu\n", kPackageSize);
  std::printf("transfer.run_seconds: %.4f (connect to release, fastest of %d, the handheld's folder in %s)\n",
              Fastest(worker), kRounds, folder.where());
  std::printf("transfer.copy_seconds: %.4f (chunk writes, first to last, fastest of %d)\n", Fastest(copy), kRounds);
  std::printf("transfer.plain_seconds: %.4f (the same %zu remote calls in a plain loop, fastest of %d)\n",
              Fastest(plain), workerCalls.size(), kRounds);
  std::printf("transfer.same_calls: %s (the plain loop's calls against the worker's, in order with their "
              "arguments)\n",
              sameCalls ? "yes" : "NO");
  std::printf("transfer.overhead_ratio: %.3f (whole run against the plain loop; aim: <= 1.02)\n",
              Fastest(worker) / Fastest(plain));
  std::printf("transfer.fixed_seconds: %.4f (run minus chunk writes: connect, version, registry, target creation, "
              "installer start)\n",
              Fastest(worker) - Fastest(copy));
  std::printf("transfer.copy_vs_plain: %.3f (chunk writes with progress and cancel polls against the plain loop's "
              "chunk writes; aim: <= 1.02)\n",
              Fastest(copy) / Fastest(plainCopy));
  std::printf("transfer.file_seconds: %.4f (the same chunks written to a file in the same folder, no simulator, "
              "fastest of %d)\n",
              Fastest(file), kRounds);
  std::printf("transfer.notifications: %zu (aim: 176 progress + 3 stages)\n", reports);
  std::printf("transfer.peak_memory_beyond_package_kb: %ld (aim: no copy of the package, < %zu)\n", peakBeyond,
              kPackageSize / 1024);
  std::printf("transfer.file_identical: %s\n", identical ? "yes" : "NO");
  return identical && sameCalls;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<BYTE> package = MakePackage(kPackageSize);
  const bool good = PrintTransferFigures(package);
  PrintLogFigures(package);
  const auto plot = argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::absolute("progress-plot.png");
  PrintLinkFigures(package, plot);
  return good ? 0 : 1;
}
