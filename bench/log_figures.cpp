#include "bench/log_figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "log/diagnostic_log.h"
#include "tests/support/log_folder.h"
#include "tests/support/recording_observer.h"
#include "tests/support/simulated_handheld.h"
#include "worker/install_worker.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Pair {
  double without, with;
};

// Runs with and without the log take turns, so that a slower spell of the
// machine falls on both alike. Both card and install copies, as a user runs it.
Pair MedianRuns(const std::vector<BYTE>& package, const sim::LinkModel& link, int rounds, LogFolder& log) {
  SimulatedHandheld handheld;
  handheld.device.MakeTypical();
  handheld.host.package = package;
  handheld.config.link = link;
  handheld.Attach();
  RecordingObserver observer;
  auto run = [&](bool logged) {
    diag::UseFolder(logged ? log.root().wstring() : std::wstring());
    observer.log.clear();
    const auto start = Clock::now();
    InstallWorker(WorkerContext{&observer, handheld.cancel.get(), 1}, handheld.host);
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  run(true);  // warm the page cache, the folders and the log file
  std::vector<double> without, with;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      without.push_back(run(false));
      with.push_back(run(true));
    } else {
      with.push_back(run(true));
      without.push_back(run(false));
    }
  }
  return {Median(without), Median(with)};
}

}  // namespace

void PrintLogFigures(const std::vector<BYTE>& package) {
  LogFolder log;
  constexpr int kLocalRounds = 15, kLinkRounds = 3;
  const Pair local = MedianRuns(package, {}, kLocalRounds, log);
  const std::size_t linesBefore = log.Events().size();
  const Pair link = MedianRuns(package, {40e6, 1}, kLinkRounds, log);
  const std::size_t lines = (log.Events().size() - linesBefore) / (kLinkRounds + 1);
  std::printf("log.run_seconds_without: %.4f (both copies on the local folder, median of %d)\n", local.without,
              kLocalRounds);
  std::printf("log.run_seconds_with: %.4f (the same run writing the log, median of %d)\n", local.with, kLocalRounds);
  std::printf("log.run_ratio: %.3f (with the log against without; aim: <= 1.01)\n", local.with / local.without);
  std::printf("log.link_ratio: %.3f (the same on a link of 40 MB/s and 1 ms a call, median of %d; aim: <= 1.01)\n",
              link.with / link.without, kLinkRounds);
  std::printf("log.lines_per_run: %zu (aim: a line per event, none per chunk: < 30 for 2 x 173 chunks)\n", lines);
}
