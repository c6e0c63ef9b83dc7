#include "app/handler_guard.h"

#include "app/dialogs.h"
#include "app/error_box_text.h"

namespace vidideza {

void HandlerGuard::Run(const std::function<void()>& handler) const {
  try {
    handler();
  } catch (...) {
    Report(std::current_exception());
  }
}

void HandlerGuard::Report(const std::exception_ptr& error) const {
  if (const auto text = ErrorBoxTextFor(error)) {
    dialogs_.Error(*text);
  }
}

}  // namespace vidideza
