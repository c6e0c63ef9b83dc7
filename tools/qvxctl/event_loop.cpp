#include "event_loop.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace qvxctl {

namespace {

constexpr auto kLongestNap = std::chrono::milliseconds(100);

}  // namespace

EventLoop::EventLoop()
    : dispatcher_([this] {
        const std::lock_guard lock(mutex_);
        ++wakes_;
        woken_.notify_all();
      }) {
  dispatcher_.SetErrorSink([this](const std::exception_ptr& error) {
    if (!escaped_) {
      escaped_ = error;
    }
  });
}

int EventLoop::AddTimer(std::chrono::milliseconds period, Handler handler) {
  // A removed timer's place is taken again: a batch adds and removes two for every unit.
  for (std::size_t i = 0; i < timers_.size(); ++i) {
    if (!timers_[i].handler) {
      timers_[i] = {period, std::move(handler), false, Clock::time_point()};
      return static_cast<int>(i);
    }
  }
  timers_.push_back({period, std::move(handler), false, Clock::time_point()});
  return static_cast<int>(timers_.size()) - 1;
}

void EventLoop::StartTimer(int timer) {
  Timer& t = timers_.at(static_cast<std::size_t>(timer));
  if (!t.running && t.handler) {
    t.running = true;
    t.due = Clock::now() + t.period;
  }
}

void EventLoop::StopTimer(int timer) {
  timers_.at(static_cast<std::size_t>(timer)).running = false;
}

void EventLoop::RemoveTimer(int timer) {
  Timer& t = timers_.at(static_cast<std::size_t>(timer));
  t.running = false;
  t.handler = nullptr;
}

void EventLoop::RunDueTimers() {
  // The timers due now run in the order they fell due, whatever their numbers: a loop woken late
  // must not let a later tick overtake an earlier one.
  const auto now = Clock::now();
  std::vector<std::pair<Clock::time_point, std::size_t>> due;
  for (std::size_t i = 0; i < timers_.size(); ++i) {
    if (timers_[i].running && now >= timers_[i].due) {
      due.emplace_back(timers_[i].due, i);
    }
  }
  std::sort(due.begin(), due.end());
  // A handler may start, stop or add timers, this one included: each is looked at afresh.
  for (const auto& [when, i] : due) {
    Timer& timer = timers_[i];
    if (!timer.running || timer.due != when) {
      continue;
    }
    // Ticks missed while the thread was held up are not made up in a burst: the unit would
    // get a run of queries at once, which the window never sends.
    const auto next = timer.due + timer.period;
    const auto at = Clock::now();
    timer.due = next > at ? next : at + timer.period;
    const Handler handler = timer.handler;
    handler();
  }
}

EventLoop::Clock::time_point EventLoop::NextWake(Clock::time_point deadline) const {
  Clock::time_point wake = deadline;
  for (const Timer& t : timers_) {
    if (t.running) {
      wake = std::min(wake, t.due);
    }
  }
  return wake;
}

void EventLoop::RaiseEscapedError() {
  if (escaped_) {
    std::rethrow_exception(std::exchange(escaped_, nullptr));
  }
}

bool EventLoop::RunUntil(const std::function<bool()>& done, Clock::time_point deadline) {
  for (;;) {
    unsigned seen = 0;
    {
      const std::lock_guard lock(mutex_);
      seen = wakes_;
    }
    dispatcher_.RunPending();
    RaiseEscapedError();
    if (done()) {
      return true;
    }
    RunDueTimers();
    RaiseEscapedError();
    if (done()) {
      return true;
    }
    if (Clock::now() >= deadline) {
      return false;
    }
    std::unique_lock lock(mutex_);
    // Never long asleep: a request to stop, counted by a signal handler, is seen soon.
    woken_.wait_until(lock, std::min(NextWake(deadline), Clock::now() + kLongestNap),
                      [&] { return wakes_ != seen; });
  }
}

void EventLoop::RunFor(Clock::duration span) {
  RunUntil([] { return false; }, Clock::now() + span);
}

}  // namespace qvxctl
