#include "base/ui_dispatcher.h"

#include <utility>

namespace vidideza {

UiDispatcher::UiDispatcher(std::function<void()> wakeUi) : wakeUi_(std::move(wakeUi)) {}

void UiDispatcher::SetErrorSink(ErrorSink sink) {
  uiThread_.OnUiThread("UiDispatcher::SetErrorSink");
  errorSink_ = std::move(sink);
}

void UiDispatcher::Call(Task task) {
  uiThread_.OffUiThread("UiDispatcher::Call");
  Request request{std::move(task)};
  {
    const std::lock_guard lock(mutex_);
    pending_.push_back(&request);
  }
  changed_.notify_all();
  if (wakeUi_) {
    wakeUi_();
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return request.done; });
}

void UiDispatcher::RunPending() {
  uiThread_.OnUiThread("UiDispatcher::RunPending");
  for (;;) {
    Request* request = nullptr;
    {
      const std::lock_guard lock(mutex_);
      if (pending_.empty()) {
        return;
      }
      request = pending_.front();
      pending_.pop_front();
    }
    try {
      request->task();
    } catch (...) {
      ReportError(std::current_exception());
    }
    {
      const std::lock_guard lock(mutex_);
      request->done = true;
    }
    changed_.notify_all();
  }
}

void UiDispatcher::ServeUntil(const std::function<bool()>& done) {
  uiThread_.OnUiThread("UiDispatcher::ServeUntil");
  for (;;) {
    RunPending();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !pending_.empty() || done(); });
    if (pending_.empty()) {
      return;
    }
  }
}

void UiDispatcher::Notify() {
  { const std::lock_guard lock(mutex_); }
  changed_.notify_all();
}

void UiDispatcher::ReportError(std::exception_ptr error) const {
  uiThread_.OnUiThread("UiDispatcher::ReportError");
  if (errorSink_) {
    errorSink_(std::move(error));
  }
}

}  // namespace vidideza
