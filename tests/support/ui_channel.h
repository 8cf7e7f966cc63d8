// The user-interface thread as the progress dialog runs it: the worker's
// notifications are delivered to it synchronously from another thread, the
// way a window message sent across threads is, and it can wait for the
// worker's end while it keeps serving them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "progress/notifications.h"

class UiChannel final : public NotificationSink {
 public:
  using Handler = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

  // Worker side: blocks until the user-interface thread has handled it.
  LRESULT Deliver(UINT message, WPARAM wParam, LPARAM lParam) override {
    std::unique_lock lock(mutex_);
    Request request{message, wParam, lParam};
    pending_ = &request;
    changed_.notify_all();
    changed_.wait(lock, [&] { return request.done; });
    return request.result;
  }
  void WorkerEnded() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }

  // User-interface side: handles at most one notification, waiting up to
  // `limit` for it. False when none came or the worker has ended.
  bool ServeOne(const Handler& handler, std::chrono::microseconds limit) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, limit, [&] { return pending_ != nullptr || ended_; })) return false;
    if (pending_ == nullptr) return false;
    Serve(lock, handler);
    return true;
  }
  // Waits for the worker's end, handling whatever it still sends.
  void WaitForEnd(const Handler& handler) {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return pending_ != nullptr || ended_; });
      if (pending_ != nullptr)
        Serve(lock, handler);
      else
        return;
    }
  }
  bool ended() {
    std::lock_guard lock(mutex_);
    return ended_;
  }

  HWND window() { return AsWindow(this); }

 private:
  struct Request {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
  };

  void Serve(std::unique_lock<std::mutex>& lock, const Handler& handler) {
    Request* request = pending_;
    pending_ = nullptr;
    lock.unlock();
    LRESULT result = handler(request->message, request->wParam, request->lParam);
    lock.lock();
    request->result = result;
    request->done = true;
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Request* pending_ = nullptr;
  bool ended_ = false;
};
