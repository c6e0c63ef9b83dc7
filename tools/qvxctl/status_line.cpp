#include "status_line.h"

#include <ostream>

namespace qvxctl {

void StatusLine::Show(const std::string& caption) {
  if (open_ && caption.size() > shown_.size() && caption.compare(0, shown_.size(), shown_) == 0) {
    err_ << caption.substr(shown_.size());
  } else {
    End();
    err_ << prefix_ << caption;
    open_ = true;
  }
  shown_ = caption;
  err_ << std::flush;
}

void StatusLine::End() {
  if (open_) {
    err_ << '\n' << std::flush;
    open_ = false;
  }
}

}  // namespace qvxctl
