#include "base/link_thread.h"

#include <utility>

namespace vidideza {

LinkThread::LinkThread(UiDispatcher& ui, std::function<void()> body)
    : ui_(ui), thread_([this, body = std::move(body)] {
        body();
        finished_ = true;
        ui_.Notify();
      }) {}

LinkThread::~LinkThread() {
  Join();
}

void LinkThread::Join() {
  if (!thread_.joinable()) {
    return;
  }
  ui_.ServeUntil([this] { return finished_.load(); });
  thread_.join();
}

}  // namespace vidideza
