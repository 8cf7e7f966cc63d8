#include "app/worker_thread.h"

#include <optional>

#include "app/wait_cursor.h"

bool WorkerThread::Start(std::function<void()> body) {
  body_ = std::move(body);
  DWORD threadId = 0;
  thread_.reset(CreateThread(nullptr, 0, Main, this, 0, &threadId));
  return static_cast<bool>(thread_);
}

DWORD WINAPI WorkerThread::Main(LPVOID self) {
  static_cast<WorkerThread*>(self)->body_();
  return 0;
}

// The worker may be inside a SendMessage to a window of this thread, and the
// windows keep painting and moving meanwhile.
void WorkerThread::WaitForEnd(InstallObserver&, bool userWaits) {
  if (!thread_) return;
  std::optional<WaitCursor> wait;
  if (userWaits) wait.emplace();
  HANDLE thread = thread_.get();
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    DWORD woken = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0) break;
    if (woken != WAIT_OBJECT_0 + 1) {
      // Only a bad handle fails the wait, and then this returns at once.
      WaitForSingleObject(thread, INFINITE);
      break;
    }
    // PeekMessage also delivers pending sent messages, the worker's
    // notifications among them.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quitCode = message.wParam;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // A quit request belongs to the outer message loop; hand it back.
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  thread_.reset();
}
