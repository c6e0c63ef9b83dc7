#include "base/ui_thread_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "net/udp_server.h"
#include "serial/com_port.h"
#include "test_ui_loop.h"

namespace vidideza {
namespace {

void OnAnotherThread(const std::function<void()>& call) {
  std::thread(call).join();
}

// Each UI-only member of the link code, called from a link thread, ends the program and names
// itself; a link thread's hand-over asked for on the UI thread, which would wait for itself
// forever, does the same.
TEST(UiThreadCheckDeathTest, AMemberCalledOnTheWrongThreadEndsTheProgramNamingIt) {
  if (!kChecksUiThread) {
    GTEST_SKIP() << "a release build does not check its threads (the sanitizer build does)";
  }
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* name;
    std::function<void()> call;
    std::string expected;
  };
  const Case cases[] = {
      {"port opened off the UI thread",
       [] {
         TestUiLoop ui;
         TComPort port(ui.dispatcher);
         OnAnotherThread([&] { port.Open(); });
       },
       "TCustomComPort::Open called off the UI thread"},
      {"port written off the UI thread",
       [] {
         TestUiLoop ui;
         TComPort port(ui.dispatcher);
         OnAnotherThread([&] { port.WriteText("A000A,ON\r"); });
       },
       "TCustomComPort::Write called off the UI thread"},
      {"datagram sent off the UI thread",
       [] {
         TestUiLoop ui;
         TIdUDPServer server(ui.dispatcher);
         OnAnotherThread([&] { server.SendDatagram("127.0.0.1", 9, "x"); });
       },
       "TIdUDPServer::SendDatagram called off the UI thread"},
      {"hand-overs run off the UI thread",
       [] {
         TestUiLoop ui;
         OnAnotherThread([&] { ui.dispatcher.RunPending(); });
       },
       "UiDispatcher::RunPending called off the UI thread"},
      {"hand-over asked for on the UI thread",
       [] {
         TestUiLoop ui;
         ui.dispatcher.Call([] {});
       },
       "UiDispatcher::Call called on the UI thread, which it would wait for"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DEATH(c.call(), c.expected);
  }
}

}  // namespace
}  // namespace vidideza
