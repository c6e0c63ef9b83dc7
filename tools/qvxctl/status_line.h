#pragma once

#include <iosfwd>
#include <string>

namespace qvxctl {

// The QVX-NET page's status caption on standard error: where a caption grows ("Wait ." to
// "Wait ..x"), only what it gained is written, so the line grows as the caption does; a new
// caption starts a new line.
class StatusLine {
 public:
  StatusLine(std::ostream& err, std::string prefix) : err_(err), prefix_(std::move(prefix)) {}
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;
  ~StatusLine() { End(); }

  void Show(const std::string& caption);
  // Ends the line being written, if any.
  void End();

 private:
  std::ostream& err_;
  std::string prefix_;
  std::string shown_;
  bool open_ = false;
};

}  // namespace qvxctl
