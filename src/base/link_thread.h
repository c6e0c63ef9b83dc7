#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "base/ui_dispatcher.h"

namespace vidideza {

// A link thread that runs one body and is joined by its owner on the UI thread, serving the
// body's hand-overs while it waits (so a hand-over in flight at close cannot deadlock).
class LinkThread {
 public:
  LinkThread(UiDispatcher& ui, std::function<void()> body);
  LinkThread(const LinkThread&) = delete;
  LinkThread& operator=(const LinkThread&) = delete;
  ~LinkThread();

  // UI thread: waits for the body to return. The caller has told the body to stop.
  void Join();

 private:
  UiDispatcher& ui_;
  std::atomic<bool> finished_{false};  // set by the link thread, read by the UI thread
  std::thread thread_;
};

}  // namespace vidideza
