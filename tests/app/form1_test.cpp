// The form's handlers without a toolkit: a recording view, a pseudo-terminal for the serial
// line and loopback peers for the QVX-NET page (every address 127.0.0.1, nothing broadcast).
#include "app/form1.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/recording_view.h"
#include "console/setup_commands.h"
#include "net/test_network_adapters.h"
#include "net/udp_peer.h"
#include "serial/pseudo_terminal.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

using Handler = void (TForm1::*)();
constexpr Rgb kPendingPortColour{255, 221, 221};
constexpr Rgb kUnitReadyColour{173, 255, 91};

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.ok()); }

  void WriteSettings(const std::string& port, const std::string& more = "") {
    WriteFileText(dir.path() / "VIDideza.ini", "[Serial]\r\nCOMPort=" + port + "\r\n" + more);
  }
  // Start-up steps 3 and 4 as the program runs them.
  void Create() {
    form = std::make_unique<TForm1>(view);
    form->FormCreate();
  }
  // Started on the pseudo-terminal, the first page shown, the start-up boxes put aside (the
  // adapters of this machine are not the subject).
  void Start() {
    WriteSettings(pty.path());
    Create();
    Run(&TForm1::TabSheet1Show);
    ASSERT_TRUE(form->ComPort1().Active());
    view.events.clear();
  }
  // The QVX-NET page shown with every address on loopback and an ephemeral server port.
  void StartOnNetPage() {
    Start();
    for (const char* field : {"Edit8", "Edit9", "Edit12"}) {
      view.Type(field, "127.0.0.1");
    }
    view.Type("Edit11", "0");
    view.activePage = 1;
    Run(&TForm1::TabSheet2Show);
    ASSERT_TRUE(form->IdUDPServer1().Active());
  }
  // A handler as a view runs it: inside the form's guard.
  void Run(Handler handler) {
    form->Guard().Run([&] { (*form.*handler)(); });
  }
  int ServerPort() const { return form->IdUDPServer1().Bindings().front()->Port; }
  std::string Log() const { return FileText(dir.path() / "Test.log"); }

  CurrentTempDir dir;
  PseudoTerminal pty;
  RecordingView view;
  std::unique_ptr<TForm1> form;  // last: it goes first
};

TEST_F(Form1Test, StartUpTakesTheSavedPortAndOpensItWhenTheFirstPageShows) {
  WriteSettings(pty.path());
  Create();
  EXPECT_EQ(view["ComboBox3"].text, pty.path());
  EXPECT_EQ(form->ComPort1().DeviceName(), pty.path());
  EXPECT_FALSE(form->ComPort1().Active());  // opened by the page, not by FormCreate
  EXPECT_TRUE(form->TrafficLogFile().IsOpen());
  const std::vector<std::string>& ports = view["ComboBox3"].items;
  ASSERT_GE(ports.size(), 9U);
  EXPECT_EQ(ports.front(), "COM1");
  EXPECT_EQ(ports[8], "COM9");
  EXPECT_TRUE(view.runningTimers.empty());

  Run(&TForm1::TabSheet1Show);
  EXPECT_TRUE(form->ComPort1().Active());
  EXPECT_FALSE(form->IdUDPServer1().Active());
}

TEST_F(Form1Test, OpeningThePortListReadsItAnewAndTouchesNeitherTextNorPort) {
  Start();
  view["ComboBox3"].items = {"stale"};
  view["ComboBox3"].hints = {"stale"};
  Run(&TForm1::ComboBox3DropDown);
  const std::vector<std::string>& ports = view["ComboBox3"].items;
  ASSERT_GE(ports.size(), 9U);
  EXPECT_EQ(ports.front(), "COM1");
  EXPECT_EQ(ports[8], "COM9");
  EXPECT_EQ(view["ComboBox3"].hints.size(), ports.size());
  EXPECT_EQ(view["ComboBox3"].text, pty.path());
  EXPECT_EQ(form->ComPort1().DeviceName(), pty.path());
  EXPECT_TRUE(form->ComPort1().Active());
  EXPECT_TRUE(view.Boxes().empty());
}

TEST_F(Form1Test, CardNumberOutsideTheAdapterListLeavesTheCardFieldsAsDesigned) {
  WriteSettings(pty.path(), "[Network]\r\nCardNr=99\r\n");
  Create();
  EXPECT_EQ(view.Boxes(), std::vector<std::string>{"error: List index out of bounds (99)"});
  EXPECT_TRUE(view["ComboBox4"].items.empty());
  EXPECT_EQ(view["ComboBox4"].text, "");
  EXPECT_EQ(view["Edit9"].text, "192.168.1.100");
  EXPECT_EQ(view["Edit10"].text, "255.255.255.0");
  EXPECT_EQ(view["Edit12"].text, "192.168.1.254");
  // The console stays usable: the port name was taken and the log opened.
  EXPECT_EQ(form->ComPort1().DeviceName(), pty.path());
  EXPECT_TRUE(form->TrafficLogFile().IsOpen());

  form->FormDestroy();  // the card number goes back unchanged
  EXPECT_NE(FileText(dir.path() / "VIDideza.ini").find("CardNr=99"), std::string::npos);
}

TEST_F(Form1Test, ShutdownClosesThePortWritesTheSettingsAndClosesTheLog) {
  Start();
  form->FormDestroy();
  EXPECT_FALSE(form->ComPort1().Active());
  EXPECT_FALSE(form->TrafficLogFile().IsOpen());
  EXPECT_NE(FileText(dir.path() / "VIDideza.ini").find("COMPort=" + pty.path() + "\r\n"),
            std::string::npos);
  EXPECT_TRUE(view.Boxes().empty());
}

TEST_F(Form1Test, ARefusedSettingsWriteIsShownAndTheLogStillCloses) {
  ASSERT_EQ(::mkfifo((dir.path() / "VIDideza.ini").c_str(), 0600), 0);
  Create();  // a FIFO reads as no settings
  EXPECT_EQ(view["ComboBox3"].text, "COM1");
  view.events.clear();
  form->FormDestroy();
  ASSERT_EQ(view.Boxes().size(), 1U);
  EXPECT_EQ(view.Boxes().front().rfind("error: Unable to write to ", 0), 0U) << view.Boxes()[0];
  EXPECT_FALSE(form->TrafficLogFile().IsOpen());
}

TEST_F(Form1Test, StampingRewritesTheHeadOfEveryCommandLine) {
  const struct {
    Handler handler;
    std::string address;
    std::string port;
    const char* radio;
    std::string edit1;
    std::string edit4;
    std::string hex;
  } rows[] = {
      {&TForm1::AdvSpinEdit1Change, "26", "B", "AdvOfficeRadioButton3", "A1ABC,ON",
       "A1ABC,MC,T18,FL", "Hex: 1A"},
      {&TForm1::ComboBox2Change, "255", "F", "AdvOfficeRadioButton6", "AFFFF,ON", "AFFFF,MC,T18,FL",
       "Hex: FF"},
      {&TForm1::AdvOfficeRadioButtonClick, "$10", "0", "AdvOfficeRadioButton2", "A100B,ON",
       "A100B,MC,T18,FL", "Hex: 10"},
      {&TForm1::AdvSpinEdit1Change, "not a number", "7", "AdvOfficeRadioButton1", "A007A,ON",
       "A007A,MC,T18,FL", "Hex: 00"},
  };
  Start();
  for (const auto& row : rows) {
    view.Type("AdvSpinEdit1", row.address);
    view.Type("ComboBox2", row.port);
    view.Check(row.radio);
    Run(row.handler);
    EXPECT_EQ(view["Edit1"].text, row.edit1) << row.address;
    EXPECT_EQ(view["Edit4"].text, row.edit4) << row.address;
    EXPECT_EQ(view["Label11"].text, row.hex) << row.address;
  }
  EXPECT_EQ(view["Edit7"].text, "A007A,SF");
  EXPECT_TRUE(view.Boxes().empty());
}

TEST_F(Form1Test, EachSendButtonLogsShowsAndSendsTheLineOfItsRow) {
  const struct {
    Handler handler;
    const char* edit;
  } rows[] = {{&TForm1::Button1Click, "Edit1"}, {&TForm1::Button3Click, "Edit3"},
              {&TForm1::Button4Click, "Edit4"}, {&TForm1::Button5Click, "Edit5"},
              {&TForm1::Button6Click, "Edit6"}, {&TForm1::Button7Click, "Edit7"}};
  Start();
  std::string log;
  for (const auto& row : rows) {
    const std::string line = view[row.edit].text;
    Run(row.handler);
    EXPECT_EQ(view.memo.back(), "SND: " + line);
    EXPECT_EQ(pty.Receive(line.size() + 1), line + "\n");
    log += "SND: " + line + "\r\n";
  }
  EXPECT_EQ(view.memo.size(), 6U);
  EXPECT_EQ(Log(), log);
  EXPECT_TRUE(view.Boxes().empty());
}

TEST_F(Form1Test, SetupCommandsAreSentOnlyAfterYes) {
  Start();
  view.answerYes = false;
  Run(&TForm1::Button9Click);
  Run(&TForm1::Button8Click);
  EXPECT_EQ(view.Boxes(),
            (std::vector<std::string>{"confirm: " + std::string(kConfirmControlUnit),
                                      "confirm: " + std::string(kConfirmInterfacePort)}));
  EXPECT_EQ(pty.Receive(1, std::chrono::milliseconds(200)), "");

  view.answerYes = true;
  view.Type("AdvSpinEdit1", "18");
  view.Type("ComboBox1", "7");
  Run(&TForm1::Button9Click);
  EXPECT_EQ(pty.Receive(9), "PSCU=127\n");
  view.Type("ComboBox2", "3");
  view.Check("AdvOfficeRadioButton3");
  Run(&TForm1::Button8Click);
  EXPECT_EQ(pty.Receive(15), "ALLLA,PSIP=A3C\n");
  // Setup commands are neither shown nor logged.
  EXPECT_TRUE(view.memo.empty());
  EXPECT_EQ(Log(), "");

  view.events.clear();
  view.Type("ComboBox1", "");
  view.Type("ComboBox2", "");
  Run(&TForm1::Button9Click);
  Run(&TForm1::Button8Click);
  EXPECT_EQ(view.Boxes(),
            (std::vector<std::string>{"confirm: " + std::string(kConfirmControlUnit),
                                      "notice: " + std::string(kEmptyLastPort),
                                      "confirm: " + std::string(kConfirmInterfacePort),
                                      "notice: " + std::string(kEmptyInterfacePort)}));
  EXPECT_EQ(pty.Receive(1, std::chrono::milliseconds(200)), "");
}

TEST_F(Form1Test, SerialRepliesBecomeRcvLinesInTheWindowThenInTheLog) {
  Start();
  pty.Send("A000A,ON,OK\r\nPART");
  ASSERT_TRUE(view.PumpUntil([&] { return view.memo.size() == 1; }));
  EXPECT_EQ(view.memo.back(), "RCV: A000A,ON,OK\r");
  pty.Send("IAL\n\n");  // an empty line is dropped
  ASSERT_TRUE(view.PumpUntil([&] { return view.memo.size() == 2; }));
  view.PumpFor(std::chrono::milliseconds(100));
  EXPECT_EQ(view.memo, (std::vector<std::string>{"RCV: A000A,ON,OK\r", "RCV: PARTIAL"}));
  EXPECT_EQ(Log(), "RCV: A000A,ON,OK\r\r\nRCV: PARTIAL\r\n");

  Run(&TForm1::Button2Click);  // "Clear" empties the window and leaves the log
  EXPECT_TRUE(view.memo.empty());
  EXPECT_EQ(Log(), "RCV: A000A,ON,OK\r\r\nRCV: PARTIAL\r\n");
}

// Each reply line reaches the window before the log, so a line the log holds is always on
// the screen, however many come at once.
TEST_F(Form1Test, UnderABurstEachLineIsShownBeforeItIsLogged) {
  Start();
  // The log's lines are counted as they come, reading only what was added since the last line:
  // the whole log read at each line would make the test quadratic, and slow under the sanitizers.
  std::ifstream log(dir.path() / "Test.log", std::ios::binary);
  ASSERT_TRUE(log.is_open());
  std::size_t logged = 0;
  std::size_t outOfOrder = 0;
  view.onResponseLine = [&](const std::string&) {
    const std::string text = RestOf(log);
    logged += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    outOfOrder += logged == view.memo.size() ? 0 : 1;
  };
  std::string burst;
  for (int i = 0; i < 2000; ++i) {
    burst += "A000A,ST,T" + std::to_string(i) + "\n";
  }
  std::thread unit([&] { pty.Send(burst); });
  EXPECT_TRUE(view.PumpUntil([&] { return view.memo.size() == 2000; }, std::chrono::seconds(20)));
  unit.join();
  EXPECT_EQ(outOfOrder, 0U);
  EXPECT_EQ(view.memo.back(), "RCV: A000A,ST,T1999");
}

// The form goes while a reply waits to be handed over: the hand-over, served as the port
// closes, must not reach the form through its port, which is being let go.
TEST_F(Form1Test, TheFormGoesWhileAReplyWaitsToBeHandedOver) {
  Start();
  pty.Send("A000A,ON,OK\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the link thread waits now
  form.reset();
  EXPECT_TRUE(view.memo.empty());
}

TEST_F(Form1Test, PageShowActionsSwitchTheLink) {
  StartOnNetPage();
  EXPECT_FALSE(form->ComPort1().Active());
  EXPECT_EQ(view["Label22"].text, "Wait .");
  EXPECT_EQ(view["Label17"].text, "IP address (x.x.x.x):");
  EXPECT_EQ(view["Edit8"].colour, std::nullopt);
  EXPECT_TRUE(view.runningTimers.contains("Timer2"));

  view.activePage = 0;
  Run(&TForm1::TabSheet1Show);
  EXPECT_TRUE(form->ComPort1().Active());
  EXPECT_FALSE(form->IdUDPServer1().Active());
  EXPECT_TRUE(view.Boxes().empty());
}

TEST_F(Form1Test, TheUnitsPortAnswerMakesItReadyAndCommandsGoThere) {
  StartOnNetPage();
  Run(&TForm1::Timer2Timer);  // a port query to 127.0.0.1
  EXPECT_EQ(view["Label22"].text, "Wait ..");
  const UdpPeer unit;
  std::string answer(26, '\0');
  answer[3] = '\xF9';
  answer[24] = static_cast<char>(unit.port() & 0xFF);
  answer[25] = static_cast<char>(unit.port() >> 8);
  unit.SendTo(static_cast<std::uint16_t>(ServerPort()), answer);
  ASSERT_TRUE(view.PumpUntil([&] { return view["Label22"].text == "Unit ready"; }));
  EXPECT_EQ(view["Edit8"].colour, kUnitReadyColour);
  EXPECT_FALSE(view.runningTimers.contains("Timer2"));
  EXPECT_EQ(form->SetupProtocol().CommandPort(), unit.port());

  view.Type("Edit8", " 127.0.0.1 ");  // sent to the trimmed address
  const struct {
    Handler handler;
    std::string datagram;
  } sends[] = {
      {&TForm1::Button1Click, "A000A,ON\n"},        {&TForm1::Button3Click, "A000A,OF\n"},
      {&TForm1::Button4Click, "A000A,MC,T18,FL\n"}, {&TForm1::Button5Click, "A000A,MH,T24,FM\n"},
      {&TForm1::Button6Click, "A000A,SV\n"},        {&TForm1::Button7Click, "A000A,SF\n"},
      {&TForm1::Button9Click, "PSCU=000\n"},        {&TForm1::Button8Click, "ALLLA,PSIP=A0A\n"},
  };
  for (const auto& send : sends) {
    Run(send.handler);
    const auto command = unit.Receive();
    ASSERT_TRUE(command) << send.datagram;
    EXPECT_EQ(command->data, send.datagram);
    EXPECT_EQ(command->fromPort, ServerPort());
  }
  view.memo.clear();
  ASSERT_EQ(::truncate((dir.path() / "Test.log").c_str(), 0), 0);

  // A text reply is shown as one line; each line feed in it starts a new log line.
  unit.SendTo(static_cast<std::uint16_t>(ServerPort()), "A000A,OK\r\nSND: A000A,PWNED\r\n");
  ASSERT_TRUE(view.PumpUntil([&] { return view.memo.size() == 1; }));
  EXPECT_EQ(view.memo.back(), "RCV: A000A,OK\r\nSND: A000A,PWNED\r");
  EXPECT_EQ(Log(), "RCV: A000A,OK\r\nRCV: SND: A000A,PWNED\r\r\n");
  EXPECT_EQ(view.Boxes(),
            (std::vector<std::string>{"confirm: " + std::string(kConfirmControlUnit),
                                      "confirm: " + std::string(kConfirmInterfacePort)}));
}

TEST_F(Form1Test, PollingEndsInATimeoutAfterTenTicksAndTheSetupLimitStopsBothTimers) {
  StartOnNetPage();
  for (int tick = 1; tick <= 10; ++tick) {
    Run(&TForm1::Timer2Timer);
  }
  EXPECT_EQ(view["Label22"].text, "Wait ...........");
  Run(&TForm1::Timer2Timer);
  EXPECT_EQ(view["Label22"].text, "Timeout error");
  EXPECT_FALSE(view.runningTimers.contains("Timer2"));

  Run(&TForm1::Edit8Exit);  // polling afresh
  EXPECT_EQ(view["Label22"].text, "Wait .");
  Run(&TForm1::Timer3Timer);
  EXPECT_EQ(view["Label22"].text, "Timeout error");
  EXPECT_TRUE(view.runningTimers.empty());
  EXPECT_TRUE(view.Boxes().empty());
}

TEST_F(Form1Test, AChangedServerPortWaitsForTheTimerThenRebinds) {
  StartOnNetPage();
  std::uint16_t freePort = 0;
  {
    const UdpPeer probe;
    freePort = probe.port();
  }
  view.Type("Edit11", std::to_string(freePort));
  view.events.clear();
  Run(&TForm1::Edit11Change);
  Run(&TForm1::Edit11Change);  // each change begins the wait afresh
  EXPECT_EQ(view["Edit11"].colour, kPendingPortColour);
  EXPECT_EQ(view.events, (std::vector<std::string>{"stop Timer1", "start Timer1", "stop Timer1",
                                                   "start Timer1"}));
  EXPECT_NE(ServerPort(), freePort);

  Run(&TForm1::Timer1Timer);
  EXPECT_EQ(view["Edit11"].colour, std::nullopt);
  EXPECT_FALSE(view.runningTimers.contains("Timer1"));
  EXPECT_TRUE(form->IdUDPServer1().Active());
  EXPECT_EQ(ServerPort(), freePort);
}

TEST_F(Form1Test, FieldChecksNameTheFirstBadFieldAndStartNothing) {
  const struct {
    const char* field;
    std::string text;
    std::string notice;
  } rows[] = {
      {"Edit2", "00-20-4A-E0-2C", "Wrong MAC address"}, {"Edit9", "127.0.0", "Wrong Server IP"},
      {"Edit8", "127.0.0.x", "Wrong IP address"},       {"Edit10", "255.0.255.0", "Wrong Mask"},
      {"Edit12", "gateway", "Wrong Gateway address"},   {"Edit11", "port", "Wrong Server port"},
  };
  StartOnNetPage();
  for (const auto& row : rows) {
    view.Type("Edit8", "127.0.0.1");
    view.Type("Edit9", "127.0.0.1");
    view.Type("Edit12", "127.0.0.1");
    view.Type("Edit2", "00-20-4A-E0-2C-BE");
    view.Type("Edit10", "255.255.255.0");
    // A bad server port stays in every row, so no row can start a run (which broadcasts).
    view.Type("Edit11", "port");
    view.Type(row.field, row.text);
    view.events.clear();
    view["Edit8"].colour = kUnitReadyColour;
    Run(&TForm1::Button10Click);
    EXPECT_EQ(view.Boxes(), std::vector<std::string>{"notice: " + row.notice}) << row.field;
    EXPECT_EQ(view["Edit8"].colour, std::nullopt) << row.field;
    EXPECT_FALSE(view.runningTimers.contains("Timer3")) << row.field;
  }
}

TEST_F(Form1Test, LeavingTheUnitIpFieldChecksItBeforePollingAfresh) {
  StartOnNetPage();
  Run(&TForm1::Timer2Timer);
  view.Type("Edit8", "127.0.0.x");
  view.events.clear();
  Run(&TForm1::Edit8Exit);
  EXPECT_EQ(view.Boxes(), std::vector<std::string>{"notice: Wrong IP address"});
  EXPECT_EQ(view["Label22"].text, "Wait ..");  // the poll goes on as it was

  view.Type("Edit8", "127.0.0.1");
  Run(&TForm1::Edit8Exit);
  EXPECT_EQ(view["Label22"].text, "Wait .");
  EXPECT_TRUE(view.runningTimers.contains("Timer2"));
}

TEST_F(Form1Test, ACardChoiceOutsideTheListIsRefusedAndChangesNothing) {
  StartOnNetPage();
  view["ComboBox4"].itemIndex = 99;
  const std::string before = view["Edit9"].text;
  Run(&TForm1::ComboBox4Change);
  EXPECT_EQ(view.Boxes(), std::vector<std::string>{"error: List index out of bounds (99)"});
  EXPECT_EQ(view["Edit9"].text, before);
}

// The card selector against known adapters: run inside the namespace of
// scripts/with-adapter-network, never against the machine's own.
class CardChoiceInTestNetwork : public Form1Test {
 protected:
  void SetUp() override {
    Form1Test::SetUp();
    const std::optional<TestNetworkAdapters> adapters = AdaptersOfTestNetwork();
    if (!adapters) {
      GTEST_SKIP() << kNeedsTestNetwork;
    }
    first = adapters->first;
    second = adapters->second;
  }
  std::string first;
  std::string second;
};

TEST_F(CardChoiceInTestNetwork, ACardChoiceTakesThatAdaptersAddressesAndRebinds) {
  StartOnNetPage();
  const struct {
    int index;
    const std::string& name;
    const char* address;
    const char* mask;
    const char* gateway;
  } choices[] = {
      {1, second, "203.0.113.1", "255.255.255.0", "0.0.0.0"},
      {0, first, "198.51.100.1", "255.255.255.0", "198.51.100.254"},
  };
  for (const auto& choice : choices) {
    SCOPED_TRACE(choice.name);
    view.events.clear();
    view["ComboBox4"].itemIndex = choice.index;
    Run(&TForm1::ComboBox4Change);
    EXPECT_TRUE(view.Boxes().empty());
    EXPECT_EQ(view["ComboBox4"].text.rfind(choice.name + " (", 0), 0U) << view["ComboBox4"].text;
    EXPECT_EQ(view["Edit9"].text, choice.address);
    EXPECT_EQ(view["Edit10"].text, choice.mask);
    EXPECT_EQ(view["Edit12"].text, choice.gateway);
    ASSERT_TRUE(form->IdUDPServer1().Active());
    EXPECT_EQ(view["Label22"].text, "Wait .");
  }
}

}  // namespace
}  // namespace vidideza
