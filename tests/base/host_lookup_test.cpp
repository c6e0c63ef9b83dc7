#include "base/host_lookup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "base/exception.h"

namespace vidideza {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The errors of a look-up: the resolver's own, with its number, and the caller's "no answer".
struct LookUpError : Exception {
  LookUpError(int number, const std::string& text) : Exception(text), number(number) {}
  int number;
};
constexpr int kHostNotFound = 11001;
constexpr int kNoAnswer = 11002;
void RaiseNoAnswer() {
  throw LookUpError(kNoAnswer, "no answer in time");
}

// A name server that answers only when let go.
struct SilentResolver {
  std::mutex mutex;
  std::condition_variable released;
  bool answering = false;
  std::atomic<int> asked{0};
  std::atomic<int> finished{0};

  HostLookup::LookUp LookUp(std::shared_ptr<SilentResolver> self) {
    return [self](const std::string&) {
      ++self->asked;
      std::unique_lock lock(self->mutex);
      self->released.wait(lock, [&] { return self->answering; });
      ++self->finished;
      return std::string("198.51.100.10");
    };
  }
  void Answer() {
    const std::lock_guard lock(mutex);
    answering = true;
    released.notify_all();
  }
};

int ErrorNumberOf(HostLookup& lookups, const std::string& name) {
  try {
    lookups.Resolve(name);
  } catch (const LookUpError& e) {
    return e.number;
  }
  return 0;
}

TEST(HostLookup, AnswersAndErrorsComeThrough) {
  HostLookup lookups(
      [](const std::string& name) -> std::string {
        if (name == "unit") {
          return "198.51.100.10";
        }
        throw LookUpError(kHostNotFound, "Host not found.");
      },
      RaiseNoAnswer);
  EXPECT_EQ(lookups.Resolve("unit"), "198.51.100.10");
  EXPECT_EQ(ErrorNumberOf(lookups, "nobody"), kHostNotFound);
  EXPECT_EQ(lookups.Pending(), 0U);
}

TEST(HostLookup, ASilentNameServerHoldsTheCallerNoLongerThanTheLimit) {
  auto resolver = std::make_shared<SilentResolver>();
  HostLookup lookups(resolver->LookUp(resolver), RaiseNoAnswer, 200ms);
  for (int call = 1; call <= 2; ++call) {
    const auto start = Clock::now();
    EXPECT_EQ(ErrorNumberOf(lookups, "unit"), kNoAnswer);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 190ms);
    EXPECT_LT(took, 700ms);
    EXPECT_EQ(resolver->asked, call);  // nothing remembered: each call asks again
  }
  EXPECT_EQ(lookups.Pending(), 2U);
  resolver->Answer();
  for (int wait = 0; wait < 200 && resolver->finished < 2; ++wait)
    std::this_thread::sleep_for(5ms);
  EXPECT_EQ(lookups.Resolve("unit"), "198.51.100.10");
  EXPECT_EQ(resolver->asked, 3);
  EXPECT_EQ(lookups.Pending(), 0U);  // the late ones were joined
}

TEST(HostLookup, TooManyUnansweredLookUpsFailAtOnce) {
  auto resolver = std::make_shared<SilentResolver>();
  HostLookup lookups(resolver->LookUp(resolver), RaiseNoAnswer, 50ms, 2);
  EXPECT_EQ(ErrorNumberOf(lookups, "unit"), kNoAnswer);
  EXPECT_EQ(ErrorNumberOf(lookups, "unit"), kNoAnswer);
  const auto start = Clock::now();
  EXPECT_EQ(ErrorNumberOf(lookups, "unit"), kNoAnswer);
  EXPECT_LT(Clock::now() - start, 40ms);
  EXPECT_EQ(resolver->asked, 2);
  resolver->Answer();
}

TEST(HostLookup, ClosingNeverWaitsForTheNameServer) {
  auto resolver = std::make_shared<SilentResolver>();
  const auto start = Clock::now();
  {
    HostLookup lookups(resolver->LookUp(resolver), RaiseNoAnswer, 50ms);
    EXPECT_EQ(ErrorNumberOf(lookups, "unit"), kNoAnswer);
  }
  EXPECT_LT(Clock::now() - start, 500ms);
  resolver->Answer();  // the let-go look-up ends on its own, its answer dropped
  for (int wait = 0; wait < 200 && resolver->finished == 0; ++wait)
    std::this_thread::sleep_for(5ms);
  EXPECT_EQ(resolver->finished, 1);
}

}  // namespace
}  // namespace vidideza
