#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>

#include "base/ui_thread_check.h"

namespace vidideza {

// The blocking hand-over from link threads to the one user-interface thread.
// A link thread calls Call(); the task runs on the UI thread (in RunPending) while the link
// thread waits. The UI thread, while it waits for a link thread to end, keeps running the
// hand-overs already requested (ServeUntil), so a closing link never deadlocks.
class UiDispatcher {
 public:
  using Task = std::function<void()>;
  using ErrorSink = std::function<void(std::exception_ptr)>;

  // wakeUi is called from link threads: it must ask the UI thread to call RunPending soon.
  explicit UiDispatcher(std::function<void()> wakeUi);
  UiDispatcher(const UiDispatcher&) = delete;
  UiDispatcher& operator=(const UiDispatcher&) = delete;

  // UI thread: where errors that escape a handed-over task go (the error box).
  void SetErrorSink(ErrorSink sink);

  // Link thread: runs task on the UI thread and returns when it has run.
  void Call(Task task);

  // UI thread: runs every hand-over requested so far.
  void RunPending();

  // UI thread: waits until done() holds, running hand-overs meanwhile. done() is evaluated
  // under the dispatcher's lock; whoever makes it true calls Notify() afterwards.
  void ServeUntil(const std::function<bool()>& done);

  // Any thread: wakes a ServeUntil so it checks its condition again.
  void Notify();

  // UI thread: reports an error through the error sink.
  void ReportError(std::exception_ptr error) const;

 private:
  struct Request {
    Task task;
    bool done = false;
  };

  std::function<void()> wakeUi_;
  UiThreadCheck uiThread_;
  ErrorSink errorSink_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Request*> pending_;  // guarded by mutex_; each request lives on its caller's stack
};

}  // namespace vidideza
