#include "attempt/attempt.h"

#include "worker/install_worker.h"

Attempt::Attempt(ProgressView& view, WorkerRunner& runner, std::optional<bool> unattendedAnswer)
    : view_(view), runner_(runner), screen_(*this, view, unattendedAnswer) {}

BoxAnswer Attempt::Screen::ShowBox(const std::string& text, const std::string& caption, BoxKind kind) {
  if (!unattendedAnswer_) return view_.ShowBox(text, caption, kind);
  // What the box would have been answered, so the attempt ends as it would
  // have after that answer.
  if (kind != BoxKind::Question) return BoxAnswer::Ok;
  return *unattendedAnswer_ ? BoxAnswer::Yes : BoxAnswer::No;
}

bool Attempt::Start(WorkerHost& host, InstallObserver& transport, bool memoryCard) {
  cancel_ = CreateAutoResetEvent();
  if (cancel_) {
    context_ = WorkerContext{&transport, cancel_.get(), memoryCard ? 1u : 0u};
    running_ = true;
    const bool started = runner_.Start([this, &host] {
      try {
        InstallWorker(context_, host);
      } catch (...) {
        // A worker that died must still end its view, or the user is left
        // with a window that nothing will close: code 0 ends it as failed,
        // with no box.
        context_.observer->OnError(InstallError{}, nullptr);
      }
    });
    if (started) return true;
    running_ = false;
  }
  // The same contract as any failed attempt: the view ends as failed.
  controller_.BeginCancel();
  cancel_.reset();
  End();
  return false;
}

void Attempt::Cancel() {
  if (cancelling_ || controller_.quiet()) return;
  cancelling_ = true;
  controller_.BeginCancel();
  view_.EnableCancel(false);
  if (cancel_) SignalEvent(cancel_.get());
  if (running_) {
    runner_.WaitForEnd(recorder_, true);
    running_ = false;
  }
  cancel_.reset();
  recorder_.NoteCancelled();
  if (controller_.CompletedDespiteCancel())
    controller_.ReportCompletion();
  else
    End();
}

void Attempt::Abandon() {
  controller_.BeginCancel();
  if (cancel_) SignalEvent(cancel_.get());
  End();
}

void Attempt::WaitForEnd() {
  if (running_) {
    runner_.WaitForEnd(recorder_, false);
    running_ = false;
  }
  cancel_.reset();
}

void Attempt::End() { view_.End(DialogResultFor(EndingOf(outcome()))); }
