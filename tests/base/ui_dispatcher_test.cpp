#include "base/ui_dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/link_thread.h"
#include "test_ui_loop.h"

namespace vidideza {
namespace {

TEST(UiDispatcher, HandedOverCallRunsOnUiThreadWhileLinkThreadWaits) {
  TestUiLoop ui;
  std::thread::id ranOn;
  std::atomic<bool> callReturned{false};
  bool ranBeforeReturn = false;
  std::thread link([&] {
    ui.dispatcher.Call([&] {
      ranOn = std::this_thread::get_id();
      ranBeforeReturn = !callReturned;
    });
    callReturned = true;
  });
  // The link thread stays blocked until the UI thread runs the call.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(callReturned);
  ASSERT_TRUE(ui.PumpUntil([&] { return callReturned.load(); }));
  link.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_TRUE(ranBeforeReturn);
}

TEST(UiDispatcher, ErrorsOfHandedOverCallsGoToTheSinkAndReleaseTheCaller) {
  TestUiLoop ui;
  std::thread link([&] { ui.dispatcher.Call([] { throw std::runtime_error("Timeout"); }); });
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.errors.empty(); }));
  link.join();
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Timeout."});
}

TEST(LinkThread, JoinServesHandOversRequestedWhileWaiting) {
  TestUiLoop ui;
  std::atomic<bool> stop{false};
  int handled = 0;
  {
    LinkThread thread(ui.dispatcher, [&] {
      while (!stop) {
        ui.dispatcher.Call([&] { ++handled; });
      }
    });
    ASSERT_TRUE(ui.PumpUntil([&] { return handled > 0; }));
    // The link thread is now blocked in (or about to make) a hand-over: joining without serving
    // it would deadlock.
    stop = true;
    thread.Join();
  }
  EXPECT_GE(handled, 1);
}

}  // namespace
}  // namespace vidideza
