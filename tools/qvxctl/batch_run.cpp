#include "batch_run.h"

#include <algorithm>
#include <chrono>
#include <list>
#include <map>
#include <memory>

#include "app/error_box_text.h"
#include "base/exception.h"
#include "event_loop.h"
#include "net/net_setup_endpoint.h"
#include "unit_run.h"

namespace qvxctl {

namespace {

using Clock = std::chrono::steady_clock;
using vidideza::SetupOutcome;

constexpr const char* kNotConfirmedMessage =
    "Timeout error: the unit took its setup record but did not confirm; check it";
constexpr const char* kInterruptedMessage = "Interrupted before the unit was found";
constexpr const char* kInterruptedWritingMessage =
    "Interrupted after the unit took its setup record; check it";
// How often the loop looks at the requests to stop while every unit waits.
constexpr auto kLookAround = std::chrono::milliseconds(100);

// A run queries once a second from its start, and every unit that has taken an announcement
// answers every run's query: runs begun in the same instant would draw all those answers in the
// same instant. Their starts are spread over a second instead.
Clock::duration StartSpacing(std::size_t parallel) {
  if (parallel <= 1) {
    return Clock::duration(0);
  }
  return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) /
         static_cast<Clock::rep>(parallel);
}

// A unit in flight.
struct Flight {
  const CheckedUnit* unit;
  Clock::time_point begun;
  std::unique_ptr<UnitRun> run;
  std::exception_ptr failure;  // the endpoint refused it: a link error
};

UnitOutcome OutcomeOf(const Flight& flight, bool interrupted) {
  UnitOutcome outcome;
  outcome.row = flight.unit->row;
  outcome.mac = flight.unit->texts.mac;
  outcome.ip = flight.unit->texts.unitIp;
  outcome.seconds = std::chrono::duration<double>(Clock::now() - flight.begun).count();
  const std::exception_ptr failure =
      flight.failure ? flight.failure : (flight.run ? flight.run->Failure() : nullptr);
  if (failure) {
    outcome.outcome = Outcome::kLinkError;
    outcome.message = vidideza::ErrorBoxTextFor(failure).value_or("");
    return outcome;
  }
  if (interrupted) {
    outcome.outcome = Outcome::kInterrupted;
    outcome.message =
        flight.run->UnitTookRecord() ? kInterruptedWritingMessage : kInterruptedMessage;
    return outcome;
  }
  switch (flight.run->Outcome()) {
    case SetupOutcome::kSet:
      outcome.outcome = Outcome::kDone;
      outcome.message = "Succesfully set";
      break;
    case SetupOutcome::kNotConfirmed:
      outcome.outcome = Outcome::kNotConfirmed;
      outcome.message = kNotConfirmedMessage;
      break;
    default:
      outcome.outcome = Outcome::kNotFound;
      outcome.message = vidideza::PhaseCaption(vidideza::SetupPhase::kTimeout);
      break;
  }
  return outcome;
}

class Batch {
 public:
  Batch(const std::vector<CheckedUnit>& units, const BatchLimits& limits, const BatchEvents& events)
      : limits_(limits), events_(events), spacing_(StartSpacing(limits.parallel)) {
    for (const CheckedUnit& unit : units) {
      waiting_.push_back(&unit);
    }
  }

  std::vector<UnitOutcome> Run() {
    for (;;) {
      if (limits_.stopNow()) {
        for (Flight& flight : flights_) {
          End(flight, !(flight.failure || flight.run->Ended()));
        }
        flights_.clear();
        break;
      }
      if (!limits_.beginNoMore()) {
        BeginWhatMay();
      }
      if (flights_.empty() && (waiting_.empty() || limits_.beginNoMore())) {
        break;
      }
      RunLoop();
      CollectEnded();
    }
    return std::move(outcomes_);
  }

 private:
  void BeginWhatMay() {
    for (auto it = waiting_.begin(); it != waiting_.end() && flights_.size() < limits_.parallel &&
                                     Clock::now() >= nextBegin_;) {
      const CheckedUnit& unit = **it;
      const bool sharesAnnouncement =
          std::any_of(flights_.begin(), flights_.end(), [&unit](const Flight& flight) {
            return ShareAnnouncement(flight.unit->settings, unit.settings);
          });
      if (sharesAnnouncement) {
        ++it;
        continue;
      }
      Begin(unit);
      nextBegin_ = Clock::now() + spacing_;
      it = waiting_.erase(it);
    }
  }

  void Begin(const CheckedUnit& unit) {
    Flight& flight = flights_.emplace_back(Flight{&unit, Clock::now(), nullptr, nullptr});
    if (events_.begun) {
      events_.begun(unit);
    }
    try {
      vidideza::NetSetupEndpoint& endpoint = EndpointFor(unit.settings.ServerPort);
      flight.run = std::make_unique<UnitRun>(loop_, endpoint, unit.unitIp,
                                             [this, &unit](const std::string& caption) {
                                               if (events_.status) {
                                                 events_.status(unit, caption);
                                               }
                                             });
      flight.run->SetUp(unit.settings, limits_.verify);
    } catch (const vidideza::Exception&) {
      flight.failure = std::current_exception();
    }
  }

  // One endpoint per server port, bound when a unit first needs it.
  vidideza::NetSetupEndpoint& EndpointFor(int serverPort) {
    auto& endpoint = endpoints_[serverPort];
    if (!endpoint) {
      auto fresh = std::make_unique<vidideza::NetSetupEndpoint>(loop_.Dispatcher(), nullptr);
      fresh->Bind(serverPort);
      endpoint = std::move(fresh);
    }
    return *endpoint;
  }

  bool AnyEnded() const {
    return std::any_of(flights_.begin(), flights_.end(),
                       [](const Flight& flight) { return flight.failure || flight.run->Ended(); });
  }

  void RunLoop() {
    const auto done = [this] { return AnyEnded() || limits_.stopNow(); };
    auto until = Clock::now() + kLookAround;
    if (!waiting_.empty() && flights_.size() < limits_.parallel) {
      until = std::min(until, nextBegin_);  // the next unit may begin then
    }
    try {
      loop_.RunUntil(done, until);
    } catch (const vidideza::Exception&) {
      // A send the endpoint refused ends the run that sent it; anything else ends the batch.
      const bool claimed = std::any_of(flights_.begin(), flights_.end(),
                                       [](const Flight& f) { return f.run && f.run->Failure(); });
      if (!claimed) {
        throw;
      }
    }
  }

  void CollectEnded() {
    for (auto it = flights_.begin(); it != flights_.end();) {
      if (it->failure || it->run->Ended()) {
        End(*it, false);
        it = flights_.erase(it);
      } else {
        ++it;
      }
    }
  }

  void End(Flight& flight, bool interrupted) {
    UnitOutcome outcome = OutcomeOf(flight, interrupted);
    flight.run.reset();  // its timers and its place at the endpoint go with it
    if (events_.ended) {
      events_.ended(outcome);
    }
    outcomes_.push_back(std::move(outcome));
  }

  const BatchLimits& limits_;
  const BatchEvents& events_;
  const Clock::duration spacing_;
  Clock::time_point nextBegin_{};
  EventLoop loop_;
  std::map<int, std::unique_ptr<vidideza::NetSetupEndpoint>> endpoints_;
  std::list<const CheckedUnit*> waiting_;
  std::list<Flight> flights_;
  std::vector<UnitOutcome> outcomes_;
};

}  // namespace

std::vector<UnitOutcome> RunBatch(const std::vector<CheckedUnit>& units, const BatchLimits& limits,
                                  const BatchEvents& events) {
  Batch batch(units, limits, events);
  return batch.Run();
}

}  // namespace qvxctl
