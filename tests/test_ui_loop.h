#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/error_box_text.h"
#include "base/ui_dispatcher.h"

namespace vidideza {

// The test thread plays the user-interface thread: it pumps the hand-overs that link threads
// request and records what would go to the error box.
class TestUiLoop {
 public:
  TestUiLoop()
      : dispatcher([this] {
          const std::lock_guard lock(mutex_);
          ++wakes_;
          woken_.notify_all();
        }) {
    dispatcher.SetErrorSink([this](const std::exception_ptr& error) {
      if (auto text = ErrorBoxTextFor(error)) {
        errors.push_back(*text);
      }
    });
  }

  // Runs hand-overs until done() holds or the time is up; true when done() held.
  bool PumpUntil(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      int seen = 0;
      {
        const std::lock_guard lock(mutex_);
        seen = wakes_;
      }
      dispatcher.RunPending();
      if (done()) {
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        return false;
      }
      // Wake on a hand-over, or look again shortly: done() may turn true without one.
      std::unique_lock lock(mutex_);
      woken_.wait_for(lock, std::chrono::milliseconds(5), [&] { return wakes_ != seen; });
    }
  }

  // Runs hand-overs for a while, whatever happens.
  void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
  }

  UiDispatcher dispatcher;
  std::vector<std::string> errors;

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  int wakes_ = 0;
};

}  // namespace vidideza
