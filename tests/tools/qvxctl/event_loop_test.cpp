#include "event_loop.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "status_line.h"

using namespace qvxctl;
using namespace std::chrono_literals;

TEST(EventLoopTest, TimersRunAtTheirPeriodAndRestartOnlyWhenStopped) {
  EventLoop loop;
  std::vector<char> ticks;
  const int fast = loop.AddTimer(20ms, [&] { ticks.push_back('f'); });
  int slow = -1;
  slow = loop.AddTimer(50ms, [&] {
    ticks.push_back('s');
    loop.StopTimer(slow);
  });
  loop.StartTimer(fast);
  loop.StartTimer(slow);
  EXPECT_TRUE(loop.RunUntil([&] { return ticks.size() == 6; }, EventLoop::Clock::now() + 2s));
  // 20, 40 | 50 (slow stops itself) | 60, 80, 100: "ffsfff". A loop held up past 50 ms (a
  // loaded machine) runs the late fast tick first and makes up no missed one, so the second
  // fast tick may come after the slow one; the slow timer still ticks once, the fast goes on.
  const std::string order(ticks.begin(), ticks.end());
  EXPECT_TRUE(order == "ffsfff" || order == "fsffff") << order;

  ticks.clear();
  loop.StartTimer(fast);  // running: its period goes on
  loop.StopTimer(fast);
  loop.StartTimer(fast);  // stopped and started: a whole period afresh
  EXPECT_FALSE(loop.RunUntil([&] { return !ticks.empty(); }, EventLoop::Clock::now() + 10ms));
  EXPECT_TRUE(loop.RunUntil([&] { return !ticks.empty(); }, EventLoop::Clock::now() + 100ms));
  loop.RemoveTimer(fast);
  ticks.clear();
  loop.StartTimer(fast);
  loop.RunFor(50ms);
  EXPECT_TRUE(ticks.empty());
}

// A loop woken late runs the timers due in the order they fell due, not in the order they were
// added.
TEST(EventLoopTest, TimersDueTogetherRunInTheOrderTheyFellDue) {
  EventLoop loop;
  std::string ticks;
  const int late = loop.AddTimer(40ms, [&] { ticks += 'l'; });
  const int early = loop.AddTimer(20ms, [&] { ticks += 'e'; });
  loop.StartTimer(late);
  loop.StartTimer(early);
  std::this_thread::sleep_for(60ms);  // both due before the loop looks
  EXPECT_TRUE(loop.RunUntil([&] { return ticks.size() >= 2; }, EventLoop::Clock::now() + 1s));
  EXPECT_EQ(ticks.substr(0, 2), "el");
}

TEST(EventLoopTest, TicksMissedWhileHeldUpComeAsOneNotAsABurst) {
  EventLoop loop;
  std::vector<EventLoop::Clock::time_point> ticks;
  const int timer = loop.AddTimer(20ms, [&] {
    ticks.push_back(EventLoop::Clock::now());
    if (ticks.size() == 1) {
      std::this_thread::sleep_for(150ms);  // seven periods held up
    }
  });
  loop.StartTimer(timer);
  ASSERT_TRUE(loop.RunUntil([&] { return ticks.size() == 3; }, EventLoop::Clock::now() + 2s));
  // The tick after the hold-up comes at once; the one after it a whole period later.
  EXPECT_GE(ticks[2] - ticks[1], 19ms);
}

TEST(EventLoopTest, HandOversRunOnTheLoopThreadAndTheirErrorsComeOutOfTheWait) {
  EventLoop loop;
  std::thread::id ranOn;
  std::thread link([&] { loop.Dispatcher().Call([&] { ranOn = std::this_thread::get_id(); }); });
  EXPECT_TRUE(
      loop.RunUntil([&] { return ranOn != std::thread::id(); }, EventLoop::Clock::now() + 2s));
  link.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());

  std::thread failing(
      [&] { loop.Dispatcher().Call([] { throw std::runtime_error("port gone"); }); });
  EXPECT_THROW(loop.RunFor(2s), std::runtime_error);
  failing.join();
}

TEST(StatusLineTest, GrowsWithTheCaptionAndStartsANewLineForANewOne) {
  std::ostringstream err;
  {
    StatusLine status(err, "row 1: ");
    for (const char* caption : {"Wait .", "Wait ..", "Wait ..x", "Wait ..xR", "Succesfully set",
                                "Succesfully set.", "Unit ready"}) {
      status.Show(caption);
    }
  }
  EXPECT_EQ(err.str(), "row 1: Wait ..xR\nrow 1: Succesfully set.\nrow 1: Unit ready\n");
}
