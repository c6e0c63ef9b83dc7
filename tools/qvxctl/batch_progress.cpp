#include "batch_progress.h"

#include <ostream>

namespace qvxctl {

namespace {

constexpr std::size_t kBarWidth = 30;
// The live block is redrawn at most this often; an ended unit redraws it at once.
constexpr auto kFrame = std::chrono::milliseconds(100);

}  // namespace

BatchProgress::BatchProgress(std::ostream& err, Style style, std::size_t total, bool namesRows)
    : err_(err), style_(style), total_(total), namesRows_(namesRows) {}

BatchProgress::~BatchProgress() {
  growing_.reset();
  if (style_ == Style::kLive) {
    inFlight_.clear();
    Redraw(true);
  }
}

std::string BatchProgress::RowPrefix(int row, const std::string& mac) {
  return "row " + std::to_string(row) + " (" + mac + "): ";
}

std::string BatchProgress::Prefix(int row, const std::string& mac) const {
  return namesRows_ ? RowPrefix(row, mac) : std::string();
}

std::string BatchProgress::Bar(std::size_t ended, std::size_t set, std::size_t total) {
  const std::size_t filled = total == 0 ? kBarWidth : ended * kBarWidth / total;
  return '[' + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " +
         std::to_string(ended) + " of " + std::to_string(total) + ": " + std::to_string(set) +
         " set, " + std::to_string(ended - set) + " failed";
}

void BatchProgress::Begun(const CheckedUnit& unit) {
  if (style_ == Style::kGrowing) {
    growing_ = std::make_unique<StatusLine>(err_, Prefix(unit.row, unit.texts.mac));
  } else if (style_ == Style::kLive) {
    inFlight_[unit.row] = Prefix(unit.row, unit.texts.mac);
    Redraw(false);
  }
}

void BatchProgress::Status(const CheckedUnit& unit, const std::string& caption) {
  if (style_ == Style::kGrowing) {
    if (growing_) {
      growing_->Show(caption);
    }
  } else if (style_ == Style::kLive) {
    inFlight_[unit.row] = Prefix(unit.row, unit.texts.mac) + caption;
    Redraw(false);
  }
}

void BatchProgress::Ended(const UnitOutcome& outcome) {
  ++ended_;
  if (outcome.outcome == Outcome::kDone) {
    ++set_;
  }
  const std::string prefix = Prefix(outcome.row, outcome.mac);
  switch (style_) {
    case Style::kGrowing:
      growing_.reset();
      // A timeout is told by the caption itself; what else went wrong gets its own line.
      if (outcome.outcome != Outcome::kDone && outcome.outcome != Outcome::kNotFound) {
        err_ << prefix << outcome.message << '\n' << std::flush;
      }
      break;
    case Style::kEnded:
      err_ << prefix << outcome.message << " (" << ended_ << " of " << total_ << " ended)\n"
           << std::flush;
      break;
    case Style::kLive:
      inFlight_.erase(outcome.row);
      endedLines_ += prefix + outcome.message + '\n';
      Redraw(true);
      break;
  }
}

void BatchProgress::Redraw(bool now) {
  const auto time = std::chrono::steady_clock::now();
  if (!now && time - drawn_ < kFrame) {
    return;
  }
  drawn_ = time;
  std::string frame;
  if (liveLines_ > 0) {
    // Back to the start of the block, which is cleared down to the end of the screen.
    frame += "\x1b[" + std::to_string(liveLines_) + "F\x1b[J";
  }
  frame += endedLines_;
  endedLines_.clear();
  for (const auto& [row, line] : inFlight_) {
    frame += line + '\n';
  }
  frame += Bar(ended_, set_, total_) + '\n';
  liveLines_ = inFlight_.size() + 1;
  err_ << frame << std::flush;
}

}  // namespace qvxctl
