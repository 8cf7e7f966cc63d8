// One revision-up attempt, whoever runs it: the progress dialog of the main
// dialog, /passive and /quiet. It owns the cancel event and the worker's
// start, the chain that turns the worker's reports into what the view shows
// while noting the outcome, and ends the view by the rule of run_outcome.h.
#pragma once

#include <functional>
#include <optional>

#include "attempt/run_outcome.h"
#include "device/event.h"
#include "progress/progress_controller.h"
#include "worker/worker_context.h"

// How the worker runs and how its end is awaited, handed in by whoever runs
// the attempt: the progress dialog runs it on a system thread and waits in a
// message loop that still delivers the worker's reports; tests use a thread
// and a channel of their own; /quiet runs it on the calling thread.
class WorkerRunner {
 public:
  // Runs `body` on the worker's thread; false when there is no thread to run
  // it on.
  virtual bool Start(std::function<void()> body) = 0;
  // Returns once `body` has returned, handing whatever the worker still
  // reports to `reports` on this thread meanwhile. `userWaits`: a Cancel is
  // waiting, which the user should be shown.
  virtual void WaitForEnd(InstallObserver& reports, bool userWaits) = 0;

 protected:
  ~WorkerRunner() = default;
};

// The worker on the calling thread: Start returns at the worker's end.
class InlineRunner final : public WorkerRunner {
 public:
  bool Start(std::function<void()> body) override {
    body();
    return true;
  }
  void WaitForEnd(InstallObserver&, bool) override {}
};

class Attempt {
 public:
  // view: shows the attempt and is ended once, with the dialog result.
  // unattendedAnswer: set when nobody is there to ask; no box is shown and
  // the version question is answered with it. The runner must outlive the
  // attempt.
  Attempt(ProgressView& view, WorkerRunner& runner, std::optional<bool> unattendedAnswer = std::nullopt);
  ~Attempt() { WaitForEnd(); }
  Attempt(const Attempt&) = delete;
  Attempt& operator=(const Attempt&) = delete;

  // Makes the cancel event and starts the worker. `transport` carries each
  // report from the worker's thread to reports() on this one; it and `host`
  // must outlive the worker. False when no event or thread could be made:
  // the view has then been ended as failed.
  bool Start(WorkerHost& host, InstallObserver& transport, bool memoryCard);
  // The head of the chain on this thread: outcome, then the reactions.
  InstallObserver& reports() { return recorder_; }

  // The user's Cancel: asks the worker to stop, waits for its end while its
  // reports are still served (and answered with nothing), then ends the
  // view: as cancelled, or with the completion box when the worker had
  // already started the installer. Nothing for a second press, or once the
  // view has ended.
  void Cancel();
  // A fault on this thread: ends the view as failed and asks the worker to
  // stop, without waiting; the window's end waits.
  void Abandon();
  // Waits for the worker's end and closes the event; a second call does
  // nothing.
  void WaitForEnd();

  bool cancelling() const { return cancelling_; }
  const RunOutcome& outcome() const { return recorder_.outcome(); }
  int exitCode() const { return ExitCodeFor(outcome()); }

 private:
  // The reactions' view: everything passes on to the attempt's view, except
  // that boxes are answered here when nobody is asked, and the end's result
  // comes from the attempt's outcome.
  class Screen final : public ProgressView {
   public:
    Screen(Attempt& attempt, ProgressView& view, std::optional<bool> unattendedAnswer)
        : attempt_(attempt), view_(view), unattendedAnswer_(unattendedAnswer) {}
    void SetStatus(const std::string& text) override { view_.SetStatus(text); }
    void SetTitle(const std::string& text) override { view_.SetTitle(text); }
    void SetBar(int position) override { view_.SetBar(position); }
    void EnableCancel(bool enabled) override { view_.EnableCancel(enabled); }
    BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxKind kind) override;
    void End(int) override { attempt_.End(); }
    std::string DisplayVersion(const char* raw) override { return view_.DisplayVersion(raw); }

   private:
    Attempt& attempt_;
    ProgressView& view_;
    std::optional<bool> unattendedAnswer_;
  };

  // Ends the view with the result the outcome so far gives.
  void End();

  ProgressView& view_;
  WorkerRunner& runner_;
  Screen screen_;
  ProgressController controller_{screen_};
  OutcomeRecorder recorder_{controller_};
  UniqueEvent cancel_;
  WorkerContext context_{};
  bool running_ = false;
  bool cancelling_ = false;
};
