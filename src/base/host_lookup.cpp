#include "base/host_lookup.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

namespace vidideza {

// Shared by the caller and the look-up's thread; whichever lets go last frees it.
struct HostLookup::Answer {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::optional<std::string> address;
  std::exception_ptr error;
};

HostLookup::HostLookup(LookUp lookUp, RaiseNoAnswer raiseNoAnswer, std::chrono::milliseconds limit,
                       std::size_t mostPending)
    : lookUp_(std::move(lookUp)),
      raiseNoAnswer_(std::move(raiseNoAnswer)),
      limit_(limit),
      mostPending_(mostPending) {}

HostLookup::~HostLookup() {
  for (Running& running : pending_) {
    const std::lock_guard lock(running.answer->mutex);
    if (running.answer->finished) {
      running.thread.join();
    } else {
      running.thread.detach();
    }
  }
}

void HostLookup::JoinFinished() {
  const auto finished = [](Running& running) {
    const std::lock_guard lock(running.answer->mutex);
    return running.answer->finished;
  };
  const auto end = std::partition(pending_.begin(), pending_.end(),
                                  [&](Running& running) { return !finished(running); });
  for (auto it = end; it != pending_.end(); ++it) {
    it->thread.join();
  }
  pending_.erase(end, pending_.end());
}

std::string HostLookup::Resolve(const std::string& name) {
  JoinFinished();
  if (pending_.size() >= mostPending_) {
    raiseNoAnswer_();
    std::terminate();  // the caller's error never returns
  }
  auto answer = std::make_shared<Answer>();
  // The thread gets its own copies: it may outlive this object.
  std::thread thread([answer, lookUp = lookUp_, name] {
    std::optional<std::string> address;
    std::exception_ptr error;
    try {
      address = lookUp(name);
    } catch (...) {
      error = std::current_exception();
    }
    const std::lock_guard lock(answer->mutex);
    answer->address = std::move(address);
    answer->error = error;
    answer->finished = true;
    answer->done.notify_all();
  });
  std::unique_lock lock(answer->mutex);
  if (!answer->done.wait_for(lock, limit_, [&] { return answer->finished; })) {
    lock.unlock();
    pending_.push_back({std::move(thread), std::move(answer)});
    raiseNoAnswer_();
    std::terminate();  // the caller's error never returns
  }
  lock.unlock();
  thread.join();
  if (answer->error) {
    std::rethrow_exception(answer->error);
  }
  return *answer->address;
}

}  // namespace vidideza
