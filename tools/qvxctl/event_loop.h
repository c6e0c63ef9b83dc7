#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

#include "base/ui_dispatcher.h"

namespace qvxctl {

// The command line's user-interface thread: the thread that runs main() runs the hand-overs of
// the link threads and the timers, as the window's event loop does, while it waits for a result.
class EventLoop {
 public:
  using Clock = std::chrono::steady_clock;
  using Handler = std::function<void()>;

  EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  vidideza::UiDispatcher& Dispatcher() { return dispatcher_; }

  // A timer that runs handler every period while started. Returns its number.
  int AddTimer(std::chrono::milliseconds period, Handler handler);
  // Starting a running timer leaves its period running; stopping and starting begins afresh.
  void StartTimer(int timer);
  void StopTimer(int timer);
  // Stops the timer for good and lets its handler go; its number may be given to a new timer.
  void RemoveTimer(int timer);

  // Runs hand-overs and timers until done() holds or the deadline passes; true when done()
  // held. An error that escaped a handed-over event is raised here.
  bool RunUntil(const std::function<bool()>& done, Clock::time_point deadline);
  void RunFor(Clock::duration span);

 private:
  struct Timer {
    Clock::duration period;
    Handler handler;
    bool running = false;
    Clock::time_point due;
  };

  void RunDueTimers();
  Clock::time_point NextWake(Clock::time_point deadline) const;
  void RaiseEscapedError();

  vidideza::UiDispatcher dispatcher_;
  std::vector<Timer> timers_;
  std::exception_ptr escaped_;
  std::mutex mutex_;
  std::condition_variable woken_;
  unsigned wakes_ = 0;  // guarded by mutex_
};

}  // namespace qvxctl
