#include "tests/support/ui_channel.h"

void UiChannel::OnStage(InstallStage stage) {
  Report report{Report::Kind::Stage};
  report.stage = stage;
  Deliver(report);
}

void UiChannel::OnProgress(int percent, bool copyEnded) {
  Report report{Report::Kind::Progress};
  report.percent = percent;
  report.copyEnded = copyEnded;
  Deliver(report);
}

void UiChannel::OnError(InstallError code, const char* version) {
  Report report{Report::Kind::Error};
  report.code = code;
  report.version = version;
  Deliver(report);
}

bool UiChannel::ConfirmNewerVersion(const char* version) {
  Report report{Report::Kind::Question};
  report.version = version;
  Deliver(report);
  return report.answer;
}

void UiChannel::Deliver(Report& report) {
  std::unique_lock lock(mutex_);
  pending_ = &report;
  changed_.notify_all();
  changed_.wait(lock, [&] { return report.done; });
}

void UiChannel::WorkerEnded() {
  std::lock_guard lock(mutex_);
  ended_ = true;
  changed_.notify_all();
}

bool UiChannel::ServeOne(InstallObserver& handler, std::chrono::microseconds limit) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, limit, [&] { return pending_ != nullptr || ended_; })) return false;
  if (pending_ == nullptr) return false;
  Serve(lock, handler);
  return true;
}

void UiChannel::WaitForEnd(InstallObserver& handler) {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return pending_ != nullptr || ended_; });
    if (pending_ == nullptr) return;
    Serve(lock, handler);
  }
}

bool UiChannel::ended() {
  std::lock_guard lock(mutex_);
  return ended_;
}

std::size_t UiChannel::served() {
  std::lock_guard lock(mutex_);
  return served_;
}

// The handler runs with the lock released, as a dialog's handler runs while
// the worker waits in its send.
void UiChannel::Serve(std::unique_lock<std::mutex>& lock, InstallObserver& handler) {
  Report* report = pending_;
  pending_ = nullptr;
  lock.unlock();
  bool answer = false;
  switch (report->kind) {
    case Report::Kind::Stage:
      handler.OnStage(report->stage);
      break;
    case Report::Kind::Progress:
      handler.OnProgress(report->percent, report->copyEnded);
      break;
    case Report::Kind::Error:
      handler.OnError(report->code, report->version);
      break;
    case Report::Kind::Question:
      answer = handler.ConfirmNewerVersion(report->version);
      break;
  }
  lock.lock();
  ++served_;
  report->answer = answer;
  report->done = true;
  changed_.notify_all();
}
