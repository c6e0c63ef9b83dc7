#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vidideza {

// Host-name look-ups that never hold the caller longer than a limit. The system resolver
// cannot be interrupted, so each look-up runs on a thread of its own; one that has no answer
// in time fails with the caller's "no answer" error and is left to finish, its answer
// dropped. Nothing is remembered: every call asks afresh.
class HostLookup {
 public:
  using LookUp = std::function<std::string(const std::string& name)>;
  // Raises the error of a look-up that has no answer in time; it must not return.
  using RaiseNoAnswer = std::function<void()>;

  HostLookup(LookUp lookUp, RaiseNoAnswer raiseNoAnswer,
             std::chrono::milliseconds limit = std::chrono::seconds(1),
             std::size_t mostPending = 8);
  HostLookup(const HostLookup&) = delete;
  HostLookup& operator=(const HostLookup&) = delete;
  // Joins the finished look-ups; one still held by the resolver is let go, so that closing
  // the program never waits for a name server.
  ~HostLookup();

  // The look-up's answer, or its error; the "no answer" error when it has none within the
  // limit or when mostPending look-ups are still unanswered.
  std::string Resolve(const std::string& name);

  std::size_t Pending() const { return pending_.size(); }

 private:
  struct Answer;
  struct Running {
    std::thread thread;
    std::shared_ptr<Answer> answer;
  };
  void JoinFinished();

  LookUp lookUp_;
  RaiseNoAnswer raiseNoAnswer_;
  std::chrono::milliseconds limit_;
  std::size_t mostPending_;
  std::vector<Running> pending_;
};

}  // namespace vidideza
