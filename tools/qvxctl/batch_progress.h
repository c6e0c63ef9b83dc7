#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>

#include "status_line.h"
#include "table_check.h"
#include "unit_outcome.h"

namespace qvxctl {

// A batch's progress on standard error, one line per unit and a total:
// - kGrowing: one unit at a time, its status caption growing on its line as on the page;
// - kEnded: units in parallel, a line for each as it ends, with the count of those ended;
// - kLive: on a terminal, the units in flight each on a line redrawn in place, under the lines
//   of those ended, and a progress bar with the total.
class BatchProgress {
 public:
  enum class Style { kGrowing, kEnded, kLive };

  // Without namesRows (one unit set up alone) lines carry no "row N (MAC): ".
  BatchProgress(std::ostream& err, Style style, std::size_t total, bool namesRows = true);
  BatchProgress(const BatchProgress&) = delete;
  BatchProgress& operator=(const BatchProgress&) = delete;
  ~BatchProgress();

  void Begun(const CheckedUnit& unit);
  void Status(const CheckedUnit& unit, const std::string& caption);
  void Ended(const UnitOutcome& outcome);

  // "row 3 (00-20-4A-E0-2C-BE): "
  static std::string RowPrefix(int row, const std::string& mac);
  // "[########............] 12 of 50: 11 set, 1 failed"
  static std::string Bar(std::size_t ended, std::size_t set, std::size_t total);

 private:
  void Redraw(bool now);
  std::string Prefix(int row, const std::string& mac) const;

  std::ostream& err_;
  Style style_;
  std::size_t total_;
  bool namesRows_;
  std::size_t ended_ = 0;
  std::size_t set_ = 0;
  std::unique_ptr<StatusLine> growing_;
  std::map<int, std::string> inFlight_;  // row -> its line, in row order
  std::string endedLines_;               // not yet written above the live block
  std::size_t liveLines_ = 0;            // lines of the live block on the screen
  std::chrono::steady_clock::time_point drawn_{};
};

}  // namespace qvxctl
