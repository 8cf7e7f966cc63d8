#include "unattended/unattended_run.h"

#include "attempt/attempt.h"

namespace {
// Nothing to show: the attempt's outcome is all a quiet run reports.
class NoView final : public ProgressView {
 public:
  void SetStatus(const std::string&) override {}
  void SetTitle(const std::string&) override {}
  void SetBar(int) override {}
  void EnableCancel(bool) override {}
  BoxAnswer ShowBox(const std::string&, const std::string&, BoxKind) override { return BoxAnswer::Ok; }
  void End(int) override {}
  std::string DisplayVersion(const char*) override { return {}; }
};
}  // namespace

int RunQuietly(WorkerHost& host, const UnattendedSettings& settings) {
  NoView view;
  InlineRunner runner;
  Attempt attempt(view, runner, settings.acceptNewer);
  // The worker reports on this very thread, straight to the attempt.
  attempt.Start(host, attempt.reports(), settings.memoryCard);
  return attempt.exitCode();
}
