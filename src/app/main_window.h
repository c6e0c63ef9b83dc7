#pragma once

#include <QColor>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "app/handler_guard.h"
#include "app/message_boxes.h"
#include "app/traffic_log.h"
#include "base/ui_dispatcher.h"
#include "console/reply_buffer.h"
#include "net/net_unit_settings.h"
#include "net/setup_protocol.h"
#include "net/udp_server.h"
#include "serial/com_port.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace vidideza {

class TAdvSpinEdit;
class TAdapter;

// The main window: every control of the tool, its components and its handlers. It only moves
// values between the widgets and the core; the decisions live in the core.
class TForm1 final : public QWidget, private SetupProtocolHost {
  Q_OBJECT

 public:
  // Builds the window with its design contents (start-up step 3).
  explicit TForm1(std::unique_ptr<Dialogs> dialogs, QWidget* parent = nullptr);
  ~TForm1() override;

  void FormCreate();
  void FormDestroy();

  const TComPort& ComPort1() const { return *ComPort1_; }
  const TIdUDPServer& IdUDPServer1() const { return *IdUDPServer1_; }
  const NetSetupProtocol& SetupProtocol() const { return Protocol; }
  const TrafficLog& TrafficLogFile() const { return Log; }
  // The factor by which the 96-dpi design figures are scaled here.
  double DesignScale() const { return scale_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Window construction (main_window_layout.cpp).
  void BuildControls();
  void SetTabOrder();
  int Scaled(int designPixels) const;

  void ConnectHandlers();
  // A slot that runs the handler inside the one guard.
  template <typename Handler>
  auto Guarded(Handler handler) {
    return [this, handler] { guard_.Run([this, handler] { (this->*handler)(); }); };
  }
  void ConfigureComPort();
  void ConfigureUdpServer();
  void FillCardSelector();
  void ShowAdapterAddresses(const TAdapter& adapter);

  // Page show actions and page switching.
  void PageControl1Change(int index);
  void TabSheet1Show();
  void TabSheet2Show();

  // Serial port selector.
  void ComboBox3Change();

  // Command console.
  void Button1Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button2Click();
  void Button8Click();
  void Button9Click();
  void AdvSpinEdit1Change();
  void ComboBox2Change();
  void AdvOfficeRadioButtonClick();
  void ComPort1RxChar();
  void Uprav();
  void ShowHexAddress();
  std::string UpravDet(const std::string& line) const;
  std::optional<char> CheckedCode() const;
  void SendCommandLine(const QLineEdit& edit);
  void SendOverChosenLink(const std::string& bytes);
  void SendToNetUnit(const std::string& bytes);
  void AddToMemo(const std::string& line);

  // QVX-NET page.
  void RebindUdpServer();
  void IdUDPServer1UDPRead(std::string_view data, TIdSocketHandle& binding);
  void SetFieldColour(QLineEdit& edit, const std::optional<QColor>& colour);
  void Edit8Exit();
  void Edit11Change();
  void Button10Click();
  void ComboBox4Change();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();

  // What the setup protocol shows and sends through the window.
  std::string UnitIpText() const override;
  void ShowStatus(const std::string& caption) override;
  void ShowUnitIpCaption(const std::string& caption) override;
  void ShowUnitReady(bool ready) override;
  void StartTimer(Timer timer) override;
  void StopTimer(Timer timer) override;
  void SendToSetupPort(const std::string& host, const std::string& data) override;

  std::unique_ptr<Dialogs> dialogs_;
  HandlerGuard guard_;
  UiDispatcher dispatcher_;
  std::unique_ptr<TComPort> ComPort1_;
  std::unique_ptr<TIdUDPServer> IdUDPServer1_;
  double scale_ = 1.0;
  // Program-wide state held by the window.
  std::int32_t CardNr = 0;   // never changed while the program runs
  std::string StartFolder_;  // names the settings file even when the folder is gone by the end
  TrafficLog Log;
  SerialReplyBuffer SerialReplyBuffer_;  // lives as long as the program, across port changes
  NetUnitSettings NetUnitSettings_;
  NetSetupProtocol Protocol{*this, NetUnitSettings_};
  bool firstShown_ = false;

  // Controls, owned by the window through Qt's parent ownership.
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7;
  QLineEdit *Edit1, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7;
  QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7;
  QPlainTextEdit* Memo1;
  QGroupBox* GroupBox2;
  QLabel *Label8, *Label10, *Label11, *Label12, *AdvSpinEdit1Caption;
  TAdvSpinEdit* AdvSpinEdit1;
  QComboBox* ComboBox1;
  QPushButton* Button9;
  QGroupBox* GroupBox1;
  QLabel *Label9, *Label13;
  QComboBox* ComboBox2;
  QGroupBox* AdvOfficeRadioGroup1;
  QRadioButton* AdvOfficeRadioButton[6];
  QPushButton* Button8;
  QTabWidget* PageControl1;
  QWidget *TabSheet1, *TabSheet2;
  QLabel *Label18, *Label23;
  QComboBox* ComboBox3;
  QLabel *Label14, *Label24, *Label15, *Label17, *Label19, *Label16, *Label21, *Label20, *Label22;
  QComboBox* ComboBox4;
  QLineEdit *Edit2, *Edit8, *Edit9, *Edit10, *Edit11, *Edit12;
  QPushButton* Button10;
  QTimer *Timer1, *Timer2, *Timer3;
};

}  // namespace vidideza
