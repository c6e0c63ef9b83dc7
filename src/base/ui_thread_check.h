#pragma once

#include <thread>

namespace vidideza {

// Debug and sanitizer builds check that the members meant for the UI thread are called there.
#if !defined(NDEBUG) || defined(VIDIDEZA_SANITIZED)
inline constexpr bool kChecksUiThread = true;
#else
inline constexpr bool kChecksUiThread = false;
#endif

// The thread an object was made on, which is its UI thread. Where the build checks, a UI-only
// member called from another thread ends the program with the member's name, and a link-only
// member (one that waits for the UI thread) called on the UI thread does the same, as it would
// wait for itself forever.
class UiThreadCheck {
 public:
  void OnUiThread(const char* member) const {
    if constexpr (kChecksUiThread) {
      if (std::this_thread::get_id() != uiThread_) {
        Fail(member, "called off the UI thread");
      }
    }
  }
  void OffUiThread(const char* member) const {
    if constexpr (kChecksUiThread) {
      if (std::this_thread::get_id() == uiThread_) {
        Fail(member, "called on the UI thread, which it would wait for");
      }
    }
  }

 private:
  [[noreturn]] static void Fail(const char* member, const char* what);

  std::thread::id uiThread_ = std::this_thread::get_id();
};

}  // namespace vidideza
