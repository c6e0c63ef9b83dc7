#include "app/form1.h"

#include <algorithm>

#include "app/profile.h"
#include "app/settings_file.h"
#include "base/integer_parsing.h"
#include "base/large_buffer.h"
#include "console/command_head.h"
#include "console/setup_commands.h"
#include "console/spin_value.h"
#include "console/text_datagram.h"
#include "net/address_parsing.h"
#include "net/ip_info.h"
#include "serial/qvx_line.h"
#include "serial/serial_device.h"

namespace vidideza {

namespace {

// A changed server port waiting to be applied.
constexpr Rgb kPendingPortColour{255, 221, 221};
// The unit has told its command port.
constexpr Rgb kUnitReadyColour{173, 255, 91};

constexpr std::string_view kCommandEdits[] = {"Edit1", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};

}  // namespace

TForm1::TForm1(TFormView& view)
    : view_(view),
      guard_(view),
      dispatcher_([this] {
        // Called on a link thread: the hand-overs run in the view's event loop.
        view_.PostToUiThread([this] { dispatcher_.RunPending(); });
      }),
      ComPort1_(std::make_unique<TComPort>(dispatcher_)),
      NetEndpoint_(std::make_unique<NetSetupEndpoint>(
          dispatcher_, [this](std::string_view data) { IdUDPServer1UDPRead(data); })) {
  dispatcher_.SetErrorSink([this](const std::exception_ptr& error) { guard_.Report(error); });
  NetEndpoint_->Attach(Protocol);
  FillPortSelector();
  ConfigureComPort();
}

TForm1::~TForm1() {
  // The link threads may still hand events to this form: end them first.
  ComPort1_.reset();
  NetEndpoint_.reset();
}

void TForm1::ConfigureComPort() {
  TComPort& port = *ComPort1_;
  port.SetDeviceName("COM1");
  SetQvxLineSettings(port);
  port.SetOnRxChar([this](TCustomComPort&) { ComPort1RxChar(); });
}

// --- start-up and shutdown --------------------------------------------------------------

void TForm1::FormCreate() {
  StartFolder_ = CurrentDirectory();
  guard_.Run([this] {
    const Settings settings = ReadSettings();
    view_.SetText("ComboBox3", settings.comPort);
    CardNr = settings.cardNr;
    ComPort1_->SetDeviceName(view_.Text("ComboBox3"));
    FillCardSelector();
  });
  // The log opens even when the adapter step failed: one missing network card must not make
  // the whole console unusable.
  guard_.Run([this] { Log.Open(); });
}

void TForm1::FormDestroy() {
  guard_.Run([this] {
    ComPort1_->SetActive(false);
    WriteSettings({view_.Text("ComboBox3"), CardNr}, StartFolder_);
  });
  // Closed even after a refused settings write, so no line is lost.
  guard_.Run([this] { Log.Close(); });
}

void TForm1::FillCardSelector() {
  const TIPInfo info;
  const TAdapter& adapter = info.Adapter(CardNr);
  // The items are replaced; the box shows the saved card's description with no item selected.
  std::vector<std::string> descriptions;
  descriptions.reserve(static_cast<std::size_t>(std::max(0, info.AdapterCount())));
  for (int i = 0; i < info.AdapterCount(); ++i) {
    descriptions.push_back(info.Adapter(i).Description);
  }
  view_.SetItems("ComboBox4", descriptions);
  view_.SetItemIndex("ComboBox4", -1);
  view_.SetText("ComboBox4", adapter.Description);
  ShowAdapterAddresses(adapter);
}

void TForm1::ShowAdapterAddresses(const TAdapter& adapter) {
  view_.SetText("Edit9", adapter.IPAddressEntry(0).Address);
  view_.SetText("Edit10", adapter.IPAddressEntry(0).Mask);
  view_.SetText("Edit12", adapter.GatewayEntry(0).Address);
}

// --- page show actions ------------------------------------------------------------------

void TForm1::TabSheet1Show() {
  ComPort1_->SetActive(true);
  NetEndpoint_->Close();
}

void TForm1::TabSheet2Show() {
  ComPort1_->SetActive(false);
  RebindUdpServer();
  Protocol.RestartUnitPoll();
}

// The design's COM1 ... COM9, then the serial devices present now, each with what the system
// tells about it. The text stays as it is and no handler runs.
void TForm1::FillPortSelector() {
  std::vector<std::string> names;
  std::vector<std::string> hints;
  for (PortListing& port : SerialPortListings()) {
    names.push_back(std::move(port.name));
    hints.push_back(std::move(port.identity));
  }
  view_.SetItems("ComboBox3", names);
  view_.SetItemHints("ComboBox3", hints);
}

void TForm1::ComboBox3DropDown() {
  FillPortSelector();
}

void TForm1::ComboBox3Change() {
  ComPort1_->SetActive(false);
  ComPort1_->SetDeviceName(view_.Text("ComboBox3"));
  ComPort1_->SetActive(true);
}

// --- command console --------------------------------------------------------------------

void TForm1::Button1Click() {
  SendCommandLine("Edit1");
}
void TForm1::Button3Click() {
  SendCommandLine("Edit3");
}
void TForm1::Button4Click() {
  SendCommandLine("Edit4");
}
void TForm1::Button5Click() {
  SendCommandLine("Edit5");
}
void TForm1::Button6Click() {
  SendCommandLine("Edit6");
}
void TForm1::Button7Click() {
  SendCommandLine("Edit7");
}

void TForm1::SendCommandLine(std::string_view edit) {
  const std::string line = view_.Text(edit);
  // Logged first: the line stays in the log when sending then fails.
  Log.WriteLine("SND: " + line);
  view_.AddResponseLine("SND: " + line);
  SendOverChosenLink(line + '\n');
}

void TForm1::SendOverChosenLink(const std::string& bytes) {
  if (view_.ActivePage() == 0) {
    ComPort1_->WriteText(bytes);
  } else {
    SendToNetUnit(bytes);
  }
}

void TForm1::Button2Click() {
  view_.ClearResponse();
}

void TForm1::Button9Click() {
  if (!view_.Confirm(kConfirmControlUnit)) {
    return;
  }
  const std::string lastPort = view_.Text("ComboBox1");
  if (lastPort.empty()) {
    view_.Notice(kEmptyLastPort);
    return;
  }
  SendOverChosenLink(ControlUnitCommand(ControlUnitAddress(), lastPort.front()) + '\n');
}

void TForm1::Button8Click() {
  if (!view_.Confirm(kConfirmInterfacePort)) {
    return;
  }
  const std::string port = view_.Text("ComboBox2");
  if (port.empty()) {
    view_.Notice(kEmptyInterfacePort);
    return;
  }
  SendOverChosenLink(InterfacePortCommand(port.front(), CheckedCode().value_or('A')) + '\n');
}

std::optional<char> TForm1::CheckedCode() const {
  for (int i = 1; i <= 6; ++i) {
    if (view_.Checked("AdvOfficeRadioButton" + std::to_string(i))) {
      return CodeLetter(i);
    }
  }
  return std::nullopt;
}

int TForm1::ControlUnitAddress() const {
  return SpinTextValue(view_.Text("AdvSpinEdit1"));
}

void TForm1::AdvSpinEdit1Change() {
  ShowHexAddress();
  Uprav();
}

void TForm1::ShowHexAddress() {
  view_.SetCaption("Label11", "Hex: " + HexAddress(ControlUnitAddress()));
}

void TForm1::ComboBox2Change() {
  Uprav();
}

void TForm1::AdvOfficeRadioButtonClick() {
  Uprav();
}

void TForm1::Uprav() {
  ShowHexAddress();
  for (const std::string_view edit : kCommandEdits) {
    view_.SetText(edit, UpravDet(view_.Text(edit)));
  }
}

std::string TForm1::UpravDet(const std::string& line) const {
  const std::string port = view_.Text("ComboBox2");
  CommandHead head;
  head.address = ControlUnitAddress();
  if (!port.empty()) {
    head.port = port.front();
  }
  head.code = CheckedCode();
  return StampCommandLine(line, head);
}

void TForm1::ComPort1RxChar() {
  SerialReplyBuffer_.Append(ComPort1_->ReadText());
  TakeReplyLines(SerialReplyBuffer_, [this](std::string_view line) {
    // A huge line is copied once on its way, and the window keeps a copy.
    LargeString shown;
    shown.reserve(5 + line.size());
    shown.append("RCV: ").append(line);
    view_.AddResponseLine(shown);
    // A failing log write leaves the line in the buffer: it comes again with the next event.
    Log.WriteLine(shown);
  });
}

void TForm1::SendToNetUnit(const std::string& bytes) {
  NetEndpoint_->SendCommand(UnitIpText(), Protocol.CommandPort(), bytes);
}

// --- QVX-NET page -----------------------------------------------------------------------

void TForm1::RebindUdpServer() {
  NetEndpoint_->Bind(ParseIntegerOr(view_.Text("Edit11"), kDefaultServerPort));
}

void TForm1::IdUDPServer1UDPRead(std::string_view data) {
  if (const auto line = TextDatagramLine(data)) {
    view_.AddResponseLine("RCV: " + std::string(*line));
    Log.WriteLine(ReceivedLogText(*line));
  }
}

void TForm1::Edit11Change() {
  view_.SetColour("Edit11", kPendingPortColour);
  view_.StopTimer("Timer1");
  view_.StartTimer("Timer1");
}

void TForm1::Timer1Timer() {
  view_.StopTimer("Timer1");
  view_.SetColour("Edit11", std::nullopt);
  RebindUdpServer();
}

void TForm1::Edit8Exit() {
  if (const auto notice = CheckUnitIp(view_.Text("Edit8"), NetUnitSettings_)) {
    view_.Notice(*notice);
    return;
  }
  Protocol.RestartUnitPoll();
}

void TForm1::Button10Click() {
  Protocol.ResetUnitIpDisplay();
  const NetFieldTexts texts{view_.Text("Edit2"),  view_.Text("Edit9"),  view_.Text("Edit8"),
                            view_.Text("Edit10"), view_.Text("Edit12"), view_.Text("Edit11")};
  if (const auto notice = CheckNetFields(texts, NetUnitSettings_)) {
    view_.Notice(*notice);
    return;
  }
  Protocol.StartSetupRun();
}

void TForm1::ComboBox4Change() {
  const int index = view_.ItemIndex("ComboBox4");
  const TIPInfo info;
  const TAdapter& adapter = info.Adapter(index);
  view_.SetText("ComboBox4", adapter.Description);
  ShowAdapterAddresses(adapter);
  RebindUdpServer();
  Protocol.RestartUnitPoll();
}

void TForm1::Timer2Timer() {
  Protocol.Timer2Timer();
}

void TForm1::Timer3Timer() {
  Protocol.Timer3Timer();
}

std::string TForm1::UnitIpText() const {
  return std::string(TrimmedText(view_.Text("Edit8")));
}

void TForm1::ShowStatus(const std::string& caption) {
  view_.SetCaption("Label22", caption);
}

void TForm1::ShowUnitIpCaption(const std::string& caption) {
  view_.SetCaption("Label17", caption);
}

void TForm1::ShowUnitReady(bool ready) {
  view_.SetColour("Edit8", ready ? std::optional<Rgb>(kUnitReadyColour) : std::nullopt);
}

void TForm1::StartTimer(Timer timer) {
  view_.StartTimer(timer == Timer::kPoll ? "Timer2" : "Timer3");
}

void TForm1::StopTimer(Timer timer) {
  view_.StopTimer(timer == Timer::kPoll ? "Timer2" : "Timer3");
}

void TForm1::SendToSetupPort(const std::string& host, const std::string& data) {
  NetEndpoint_->SendToSetupPort(host, data);
}

}  // namespace vidideza
