#include "app/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "app/display_text.h"
#include "app/list_pick.h"
#include "app/profile.h"
#include "app/settings_file.h"
#include "app/spin_edit.h"
#include "console/command_head.h"
#include "console/setup_commands.h"
#include "console/text_datagram.h"
#include "net/address_parsing.h"
#include "net/integer_parsing.h"
#include "net/ip_info.h"
#include "net/setup_packets.h"
#include "serial/qvx_line.h"

namespace vidideza {

namespace {

// A changed server port waiting to be applied.
const QColor kPendingPortColour(255, 221, 221);
// The unit has told its command port.
const QColor kUnitReadyColour(173, 255, 91);

}  // namespace

TForm1::TForm1(std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(std::move(dialogs)),
      guard_(*dialogs_),
      dispatcher_([this] {
        // Called on a link thread: queue the hand-overs for the event loop of this window.
        QMetaObject::invokeMethod(
            this, [this] { dispatcher_.RunPending(); }, Qt::QueuedConnection);
      }),
      ComPort1_(std::make_unique<TComPort>(dispatcher_)),
      IdUDPServer1_(std::make_unique<TIdUDPServer>(dispatcher_)) {
  dispatcher_.SetErrorSink([this](const std::exception_ptr& error) { guard_.Report(error); });
  BuildControls();
  SetTabOrder();
  ConfigureComPort();
  ConfigureUdpServer();
  ConnectHandlers();
}

TForm1::~TForm1() {
  // The link threads may still hand events to this window: end them first.
  ComPort1_.reset();
  IdUDPServer1_.reset();
}

void TForm1::ConfigureComPort() {
  TComPort& port = *ComPort1_;
  port.SetDeviceName("COM1");
  SetQvxLineSettings(port);
  port.SetOnRxChar([this](TCustomComPort&) { ComPort1RxChar(); });
}

void TForm1::ConfigureUdpServer() {
  IdUDPServer1_->BroadcastEnabled = true;
  IdUDPServer1_->ThreadedEvent = false;
  IdUDPServer1_->OnUDPRead = [this](TIdUDPServer&, std::string_view data,
                                    TIdSocketHandle& binding) {
    IdUDPServer1UDPRead(data, binding);
  };
}

void TForm1::ConnectHandlers() {
  const std::pair<QPushButton*, void (TForm1::*)()> clicks[] = {
      {Button1, &TForm1::Button1Click}, {Button2, &TForm1::Button2Click},
      {Button3, &TForm1::Button3Click}, {Button4, &TForm1::Button4Click},
      {Button5, &TForm1::Button5Click}, {Button6, &TForm1::Button6Click},
      {Button7, &TForm1::Button7Click}, {Button8, &TForm1::Button8Click},
      {Button9, &TForm1::Button9Click}, {Button10, &TForm1::Button10Click}};
  for (const auto& [button, handler] : clicks) {
    connect(button, &QPushButton::clicked, this, Guarded(handler));
  }
  connect(AdvSpinEdit1, &QLineEdit::textChanged, this, Guarded(&TForm1::AdvSpinEdit1Change));
  // Editable selectors: only what the user types or picks runs a handler, never text set by
  // the program.
  connect(ComboBox2->lineEdit(), &QLineEdit::textEdited, this, Guarded(&TForm1::ComboBox2Change));
  connect(ComboBox2, &QComboBox::textActivated, this, Guarded(&TForm1::ComboBox2Change));
  connect(ComboBox3->lineEdit(), &QLineEdit::textEdited, this, Guarded(&TForm1::ComboBox3Change));
  connect(ComboBox3, &QComboBox::textActivated, this, Guarded(&TForm1::ComboBox3Change));
  // The card selector changes fields the technician may have typed: only a pick from its list
  // is a card choice, never leaving it or typing into it.
  new ListPick(ComboBox4, Guarded(&TForm1::ComboBox4Change));
  for (QRadioButton* radio : AdvOfficeRadioButton) {
    // Toggled on only: clicking the button that is already selected runs nothing.
    connect(radio, &QRadioButton::toggled, this, [this](bool on) {
      if (on) {
        guard_.Run([this] { AdvOfficeRadioButtonClick(); });
      }
    });
  }
  connect(Edit11, &QLineEdit::textEdited, this, Guarded(&TForm1::Edit11Change));
  Edit8->installEventFilter(this);
  connect(Timer1, &QTimer::timeout, this, Guarded(&TForm1::Timer1Timer));
  connect(Timer2, &QTimer::timeout, this, Guarded(&TForm1::Timer2Timer));
  connect(Timer3, &QTimer::timeout, this, Guarded(&TForm1::Timer3Timer));
  // A mouse pick of a tab first takes the focus to the tab row, so the old page's field runs
  // its exit handler before the new page's show action.
  connect(PageControl1->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
    if (index >= 0 && index != PageControl1->currentIndex()) {
      PageControl1->tabBar()->setFocus(Qt::MouseFocusReason);
    }
  });
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  // The field is left when the focus moves to another control of this window; a message box
  // or another program taking the focus for a while is no exit.
  if (watched == Edit8 && event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      guard_.Run([this] { Edit8Exit(); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!firstShown_) {
    firstShown_ = true;
    // The page becomes visible with the window; its show action follows once it is painted.
    QTimer::singleShot(0, this, Guarded(&TForm1::TabSheet1Show));
  }
}

// --- start-up and shutdown --------------------------------------------------------------

void TForm1::FormCreate() {
  StartFolder_ = CurrentDirectory();
  guard_.Run([this] {
    const Settings settings = ReadSettings();
    ComboBox3->setEditText(FromBytes(settings.comPort));
    CardNr = settings.cardNr;
    ComPort1_->SetDeviceName(ToBytes(ComboBox3->currentText()));
    FillCardSelector();
  });
  // The log opens even when the adapter step failed: one missing network card must not make
  // the whole console unusable.
  guard_.Run([this] { Log.Open(); });
}

void TForm1::FormDestroy() {
  guard_.Run([this] {
    ComPort1_->SetActive(false);
    WriteSettings({ToBytes(ComboBox3->currentText()), CardNr}, StartFolder_);
  });
  // Closed even after a refused settings write, so no line is lost.
  guard_.Run([this] { Log.Close(); });
}

void TForm1::FillCardSelector() {
  const TIPInfo info;
  const TAdapter& adapter = info.Adapter(CardNr);
  // The items are replaced; the box shows the saved card's description with no item selected.
  ComboBox4->clear();
  for (int i = 0; i < info.AdapterCount(); ++i) {
    ComboBox4->addItem(FromBytes(info.Adapter(i).Description));
  }
  ComboBox4->setCurrentIndex(-1);
  ComboBox4->setEditText(FromBytes(adapter.Description));
  ShowAdapterAddresses(adapter);
}

void TForm1::ShowAdapterAddresses(const TAdapter& adapter) {
  Edit9->setText(FromBytes(adapter.IPAddressEntry(0).Address));
  Edit10->setText(FromBytes(adapter.IPAddressEntry(0).Mask));
  Edit12->setText(FromBytes(adapter.GatewayEntry(0).Address));
}

// --- page switching ---------------------------------------------------------------------

void TForm1::PageControl1Change(int index) {
  guard_.Run([this, index] {
    if (index == 0) {
      TabSheet1Show();
    } else {
      TabSheet2Show();
    }
  });
}

void TForm1::TabSheet1Show() {
  ComPort1_->SetActive(true);
  IdUDPServer1_->SetActive(false);
}

void TForm1::TabSheet2Show() {
  ComPort1_->SetActive(false);
  RebindUdpServer();
  Protocol.RestartUnitPoll();
}

void TForm1::ComboBox3Change() {
  ComPort1_->SetActive(false);
  ComPort1_->SetDeviceName(ToBytes(ComboBox3->currentText()));
  ComPort1_->SetActive(true);
}

// --- command console --------------------------------------------------------------------

void TForm1::Button1Click() {
  SendCommandLine(*Edit1);
}
void TForm1::Button3Click() {
  SendCommandLine(*Edit3);
}
void TForm1::Button4Click() {
  SendCommandLine(*Edit4);
}
void TForm1::Button5Click() {
  SendCommandLine(*Edit5);
}
void TForm1::Button6Click() {
  SendCommandLine(*Edit6);
}
void TForm1::Button7Click() {
  SendCommandLine(*Edit7);
}

void TForm1::SendCommandLine(const QLineEdit& edit) {
  // Logged first: the line stays in the log when sending then fails.
  Log.WriteLine("SND: " + ToBytes(edit.text()));
  AddToMemo("SND: " + ToBytes(edit.text()));
  SendOverChosenLink(ToBytes(edit.text()) + '\n');
}

void TForm1::SendOverChosenLink(const std::string& bytes) {
  if (PageControl1->currentIndex() == 0) {
    ComPort1_->WriteText(bytes);
  } else {
    SendToNetUnit(bytes);
  }
}

void TForm1::AddToMemo(const std::string& line) {
  Memo1->appendPlainText(DisplayLine(line));
}

void TForm1::Button2Click() {
  Memo1->clear();
}

void TForm1::Button9Click() {
  if (!dialogs_->Confirm(kConfirmControlUnit)) {
    return;
  }
  const std::string lastPort = ToBytes(ComboBox1->currentText());
  if (lastPort.empty()) {
    dialogs_->Notice(kEmptyLastPort);
    return;
  }
  SendOverChosenLink(ControlUnitCommand(AdvSpinEdit1->Value(), lastPort.front()) + '\n');
}

void TForm1::Button8Click() {
  if (!dialogs_->Confirm(kConfirmInterfacePort)) {
    return;
  }
  const std::string port = ToBytes(ComboBox2->currentText());
  if (port.empty()) {
    dialogs_->Notice(kEmptyInterfacePort);
    return;
  }
  SendOverChosenLink(InterfacePortCommand(port.front(), CheckedCode().value_or('A')) + '\n');
}

std::optional<char> TForm1::CheckedCode() const {
  for (int i = 0; i < 6; ++i) {
    if (AdvOfficeRadioButton[i]->isChecked()) {
      return CodeLetter(i + 1);
    }
  }
  return std::nullopt;
}

void TForm1::AdvSpinEdit1Change() {
  ShowHexAddress();
  Uprav();
}

void TForm1::ShowHexAddress() {
  Label11->setText(QStringLiteral("Hex: ") +
                   QString::fromStdString(HexAddress(AdvSpinEdit1->Value())));
  Label11->adjustSize();
}

void TForm1::ComboBox2Change() {
  Uprav();
}

void TForm1::AdvOfficeRadioButtonClick() {
  Uprav();
}

void TForm1::Uprav() {
  ShowHexAddress();
  for (QLineEdit* edit : {Edit1, Edit3, Edit4, Edit5, Edit6, Edit7}) {
    edit->setText(FromBytes(UpravDet(ToBytes(edit->text()))));
  }
}

std::string TForm1::UpravDet(const std::string& line) const {
  const std::string port = ToBytes(ComboBox2->currentText());
  CommandHead head;
  head.address = AdvSpinEdit1->Value();
  if (!port.empty()) {
    head.port = port.front();
  }
  head.code = CheckedCode();
  return StampCommandLine(line, head);
}

void TForm1::ComPort1RxChar() {
  SerialReplyBuffer_.Append(ComPort1_->ReadText());
  while (const auto line = SerialReplyBuffer_.FirstLine()) {
    if (!line->empty()) {
      const std::string shown = "RCV: " + std::string(*line);
      AddToMemo(shown);
      // A failing log write leaves the line in the buffer: it comes again with the next event.
      Log.WriteLine(shown);
    }
    SerialReplyBuffer_.DropLine();
  }
}

void TForm1::SendToNetUnit(const std::string& bytes) {
  IdUDPServer1_->SendDatagram(UnitIpText(), Protocol.CommandPort(), bytes);
}

// --- QVX-NET page -----------------------------------------------------------------------

void TForm1::RebindUdpServer() {
  const int serverPort = ParseIntegerOr(ToBytes(Edit11->text()), 10100);
  IdUDPServer1_->SetActive(false);
  IdUDPServer1_->DefaultPort = serverPort;
  IdUDPServer1_->ClearBindings();
  TIdSocketHandle& binding = IdUDPServer1_->AddBinding();
  binding.IP = "0.0.0.0";
  binding.Port = serverPort;
  IdUDPServer1_->SetActive(true);
}

void TForm1::IdUDPServer1UDPRead(std::string_view data, TIdSocketHandle& binding) {
  if (const auto line = TextDatagramLine(data)) {
    AddToMemo("RCV: " + std::string(*line));
    Log.WriteLine(ReceivedLogText(*line));
  }
  Protocol.HandleSetupDatagram(data, binding.SenderIP, binding.SenderPort);
}

void TForm1::SetFieldColour(QLineEdit& edit, const std::optional<QColor>& colour) {
  QPalette palette = edit.palette();
  palette.setColor(QPalette::Base, colour.value_or(QApplication::palette().color(QPalette::Base)));
  edit.setPalette(palette);
}

void TForm1::Edit11Change() {
  SetFieldColour(*Edit11, kPendingPortColour);
  Timer1->stop();
  Timer1->start();
}

void TForm1::Timer1Timer() {
  Timer1->stop();
  SetFieldColour(*Edit11, std::nullopt);
  RebindUdpServer();
}

void TForm1::Edit8Exit() {
  if (const auto notice = CheckUnitIp(ToBytes(Edit8->text()), NetUnitSettings_)) {
    dialogs_->Notice(*notice);
    return;
  }
  Protocol.RestartUnitPoll();
}

void TForm1::Button10Click() {
  Protocol.ResetUnitIpDisplay();
  const NetFieldTexts texts{ToBytes(Edit2->text()),  ToBytes(Edit9->text()),
                            ToBytes(Edit8->text()),  ToBytes(Edit10->text()),
                            ToBytes(Edit12->text()), ToBytes(Edit11->text())};
  if (const auto notice = CheckNetFields(texts, NetUnitSettings_)) {
    dialogs_->Notice(*notice);
    return;
  }
  Protocol.StartSetupRun();
}

void TForm1::ComboBox4Change() {
  const int index = ComboBox4->currentIndex();
  const TIPInfo info;
  const TAdapter& adapter = info.Adapter(index);
  ComboBox4->setEditText(FromBytes(adapter.Description));
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
  return std::string(TrimmedText(ToBytes(Edit8->text())));
}

void TForm1::ShowStatus(const std::string& caption) {
  Label22->setText(FromBytes(caption));
  Label22->adjustSize();
}

void TForm1::ShowUnitIpCaption(const std::string& caption) {
  Label17->setText(FromBytes(caption));
  Label17->adjustSize();
}

void TForm1::ShowUnitReady(bool ready) {
  SetFieldColour(*Edit8, ready ? std::optional<QColor>(kUnitReadyColour) : std::nullopt);
}

void TForm1::StartTimer(Timer timer) {
  QTimer* t = timer == Timer::kPoll ? Timer2 : Timer3;
  if (!t->isActive()) {
    t->start();  // a running timer keeps its period
  }
}

void TForm1::StopTimer(Timer timer) {
  (timer == Timer::kPoll ? Timer2 : Timer3)->stop();
}

void TForm1::SendToSetupPort(const std::string& host, const std::string& data) {
  IdUDPServer1_->SendDatagram(host, kSetupPort, data);
}

}  // namespace vidideza
