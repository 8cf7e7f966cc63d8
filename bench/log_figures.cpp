#include "bench/log_figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "log/diagnostic_log.h"
#include "sim/sim.h"
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

struct Figures {
  double without;  // median run without the log
  double ratio;    // median of with / without over adjacent pairs
  unsigned queries;  // error queries of one logged run: the log's one cost on the link
};

// Runs with and without the log alternate, and each pair is compared on its
// own, so that a slower spell of this shared machine falls on both sides of
// a pair alike. Both copies, as a user runs it, on a handheld that a first
// run has already revised.
Figures Measure(const std::vector<BYTE>& package, const sim::LinkModel& link, int pairs, LogFolder& log) {
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
  auto queries = [] { return sim::CountCalls(sim::Op::CeGetLastError) + sim::CountCalls(sim::Op::CeRapiGetError); };
  run(true);  // warm the page cache, the folders and the log file
  const unsigned before = queries();
  run(true);
  Figures figures{0, 0, queries() - before};
  std::vector<double> without, ratios;
  for (int pair = 0; pair < pairs; ++pair) {
    const bool logFirst = pair % 2 != 0;
    const double first = run(logFirst), second = run(!logFirst);
    const double plain = logFirst ? second : first, logged = logFirst ? first : second;
    without.push_back(plain);
    ratios.push_back(logged / plain);
  }
  figures.without = Median(without);
  figures.ratio = Median(ratios);
  return figures;
}

}  // namespace

void PrintLogFigures(const std::vector<BYTE>& package) {
  LogFolder log;
  constexpr int kLocalPairs = 51, kLinkPairs = 3;
  const std::size_t linesBefore = log.Events().size();
  const Figures local = Measure(package, {}, kLocalPairs, log);
  const std::size_t lines = (log.Events().size() - linesBefore) / (kLocalPairs + 2);
  const Figures link = Measure(package, {20e6, 2}, kLinkPairs, log);

  // What one line costs by itself, apart from the noise of whole runs.
  constexpr int kLines = 2000;
  diag::UseFolder(log.root().wstring());
  const auto start = Clock::now();
  for (int i = 0; i < kLines; ++i) diag::Event("copy \\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB: 11309905 bytes");
  const double perLine = std::chrono::duration<double>(Clock::now() - start).count() / kLines;
  diag::UseFolder(L"");

  std::printf("log.run_seconds: %.4f (both copies on the local folder without the log, median of %d)\n", local.without,
              kLocalPairs);
  std::printf("log.run_ratio: %.3f (the same run with the log against without, median of %d pairs; aim: <= 1.01)\n",
              local.ratio, kLocalPairs);
  std::printf("log.link_ratio: %.3f (the same on a link of 20 MB/s and 2 ms a call, median of %d pairs; "
              "aim: <= 1.01)\n",
              link.ratio, kLinkPairs);
  std::printf("log.error_queries_per_run: %u (CeRapiGetError and CeGetLastError after the calls that fail in a "
              "repeated run; each crosses the link)\n",
              local.queries);
  std::printf("log.lines_per_run: %zu (aim: a line per event, none per chunk: < 30 for 2 x 173 chunks)\n", lines);
  std::printf("log.line_microseconds: %.1f (one event written, mean of %d)\n", perLine * 1e6, kLines);
  std::printf("log.share_of_run: %.4f (lines per run x line time against the run without the log; aim: <= 0.01)\n",
              static_cast<double>(lines) * perLine / local.without);
}
