#pragma once

#include <exception>
#include <functional>

namespace vidideza {

class Dialogs;

// The one guard around every handler: an error that escapes goes to the error box, a silent
// abort goes nowhere, and the program goes on.
class HandlerGuard {
 public:
  explicit HandlerGuard(Dialogs& dialogs) : dialogs_(dialogs) {}
  void Run(const std::function<void()>& handler) const;
  void Report(const std::exception_ptr& error) const;

 private:
  Dialogs& dialogs_;
};

}  // namespace vidideza
