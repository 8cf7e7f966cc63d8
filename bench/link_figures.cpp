#include "bench/link_figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "device/event.h"
#include "progress/progress_controller.h"
#include "sim/sim.h"
#include "tests/support/fake_view.h"
#include "tests/support/simulated_handheld.h"
#include "tests/support/ui_channel.h"
#include "worker/install_worker.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBytesPerSecond = 1000000;
constexpr unsigned kLatencyMs = 5;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Every write's source must lie inside the package: a write from anywhere
// else means the worker copied it first.
const BYTE* gPackageBegin = nullptr;
const BYTE* gPackageEnd = nullptr;
unsigned gCopies = 0;
devapi::CeWriteFile gSimWrite = nullptr;

BOOL WINAPI CheckedWrite(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  auto* source = static_cast<const BYTE*>(buffer);
  if (source < gPackageBegin || source + size > gPackageEnd) ++gCopies;
  return gSimWrite(file, buffer, size, written, overlapped);
}

struct Run {
  double seconds = 0;
  double cancelToEnd = 0;  // seconds; 0 when not cancelled
  std::vector<std::pair<double, int>> progress;
};

// On the dialog's thread, in front of its handlers: notes when the bar
// moved, and when it reached the moment to cancel.
class Timeline final : public ForwardingObserver {
 public:
  Timeline(InstallObserver& dialog, Run& run, bool card, int cancelAt)
      : ForwardingObserver(dialog), run_(run), card_(card), cancelAt_(cancelAt) {}
  bool cancelNow = false;

  void OnStage(InstallStage stage) override {
    install_ = stage == InstallStage::DeviceInstall;
    ForwardingObserver::OnStage(stage);
  }
  void OnProgress(int percent, bool copyEnded) override {
    run_.progress.emplace_back(Seconds(Clock::now() - start_), percent + (install_ && card_ ? 100 : 0));
    if (install_ && percent >= cancelAt_) cancelNow = true;
    ForwardingObserver::OnProgress(percent, copyEnded);
  }

 private:
  Run& run_;
  const bool card_;
  const int cancelAt_;
  const Clock::time_point start_ = Clock::now();
  bool install_ = false;
};

// A run on the link, the dialog on this thread and the worker on its own, as
// in the program; cancelled once the bar reaches `cancelAt` percent of the
// install copy (never when above 100).
Run RunOnLink(SimulatedHandheld& handheld, bool card, int cancelAt) {
  UiChannel ui;
  FakeView view;
  view.recordAll = false;
  ProgressController controller(view);
  Run run;
  const auto start = Clock::now();
  Timeline timeline(controller, run, card, cancelAt);
  HANDLE cancel = handheld.cancel.get();
  std::thread worker([&] {
    InstallWorker(WorkerContext{&ui, cancel, card ? 1u : 0u}, handheld.host);
    ui.WorkerEnded();
  });
  while (!ui.ended() && !timeline.cancelNow) ui.ServeOne(timeline, std::chrono::milliseconds(1));
  if (timeline.cancelNow) {
    const auto pressed = Clock::now();
    controller.BeginCancel();
    SignalEvent(cancel);
    ui.WaitForEnd(timeline);
    run.cancelToEnd = Seconds(Clock::now() - pressed);
  }
  ui.WaitForEnd(timeline);
  worker.join();
  handheld.ClearCancel();
  run.seconds = Seconds(Clock::now() - start);
  return run;
}

void Plot(const Run& run, const std::filesystem::path& plotFile) {
  const auto data = std::filesystem::temp_directory_path() / "ravo-progress.dat";
  {
    std::ofstream out(data);
    for (auto [t, percent] : run.progress) out << t << ' ' << percent << '\n';
  }
  const std::string script =
      "set terminal png size 800,400; set output '" + plotFile.string() +
      "'; set xlabel 'seconds'; set ylabel 'progress (card copy 0-100, install copy 100-200)';"
      " set key off; set grid; plot '" + data.string() + "' with steps lw 2";
  const std::string command = "gnuplot -e \"" + script + "\" 2>/dev/null";
  std::printf("link.progress_plot: %s\n", std::system(command.c_str()) == 0 ? plotFile.c_str() : "n/a (no gnuplot)");
}

}  // namespace

void PrintLinkFigures(const std::vector<BYTE>& package, const std::filesystem::path& plotFile) {
  SimulatedHandheld handheld;
  handheld.device.MakeTypical();
  handheld.config.link = {kBytesPerSecond, kLatencyMs};
  handheld.host.package = package;
  gPackageBegin = handheld.host.package.data();
  gPackageEnd = gPackageBegin + package.size();
  handheld.Attach();
  gSimWrite = reinterpret_cast<devapi::CeWriteFile>(sim::Entry("CeWriteFile"));
  handheld.host.replaced["CeWriteFile"] = reinterpret_cast<void*>(&CheckedWrite);

  const Run whole = RunOnLink(handheld, true, 1000);
  const double calls = static_cast<double>(sim::Calls().size());
  const double bound = 2.0 * package.size() / kBytesPerSecond + calls * kLatencyMs / 1000.0;
  std::printf("link.run_seconds: %.2f (1 MB/s, %u ms a call, both copies)\n", whole.seconds, kLatencyMs);
  std::printf("link.bound_seconds: %.2f (bytes x 2 / rate + %.0f calls x latency)\n", bound, calls);
  std::printf("link.run_vs_bound: %.3f (aim: <= 1.02)\n", whole.seconds / bound);
  std::printf("package.copies: %u (aim: 0)\n", gCopies);
  Plot(whole, plotFile);

  const double chunk = 65535 / kBytesPerSecond + kLatencyMs / 1000.0;
  double worst = 0;
  constexpr int kMoments[] = {5, 25, 50, 75, 95};
  for (int at : kMoments) worst = std::max(worst, RunOnLink(handheld, false, at).cancelToEnd);
  std::printf("cancel.latency_ms: %.1f (worst of %zu; aim: <= one chunk + 50 ms = %.1f)\n", worst * 1000, std::size(kMoments),
              (chunk + 0.05) * 1000);
  std::printf("cancel.latency_chunks: %.2f (aim: <= %.2f)\n", worst / chunk, (chunk + 0.05) / chunk);
}
