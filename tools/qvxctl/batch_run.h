#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "table_check.h"
#include "unit_outcome.h"

namespace qvxctl {

// What a batch run tells as it goes; every member may be left empty.
struct BatchEvents {
  std::function<void(const CheckedUnit& unit)> begun;
  std::function<void(const CheckedUnit& unit, const std::string& caption)> status;
  std::function<void(const UnitOutcome& outcome)> ended;
};

struct BatchLimits {
  std::size_t parallel = 16;  // units in flight at once
  bool verify = false;        // each unit, set, must then tell its command port again
  // Polled as the batch goes: begin no new unit; stop the units in flight at once.
  std::function<bool()> beginNoMore = [] { return false; };
  std::function<bool()> stopNow = [] { return false; };
};

// Sets the units up, up to limits.parallel at once, in table order as far as the limit and the
// announcement allow: a unit whose MAC ends as that of a unit in flight waits for it. Each
// unit has its own protocol run; all share one endpoint per server port. Returns the outcome of
// every unit begun, in the order they ended.
std::vector<UnitOutcome> RunBatch(const std::vector<CheckedUnit>& units, const BatchLimits& limits,
                                  const BatchEvents& events);

}  // namespace qvxctl
