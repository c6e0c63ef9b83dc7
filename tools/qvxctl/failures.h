#pragma once

#include <stdexcept>

namespace qvxctl {

// A command line the tool cannot run, or a field the window would refuse: exit status 1, the
// text on standard error.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The unit did not answer in time: exit status 2, "Timeout error".
class TimeoutFailure : public std::runtime_error {
 public:
  TimeoutFailure() : std::runtime_error("Timeout error") {}
};

// A file the tool reads or writes for itself (a unit table, a report): exit status 3.
class FileFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qvxctl
