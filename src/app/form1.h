#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/form_view.h"
#include "app/handler_guard.h"
#include "app/traffic_log.h"
#include "base/ui_dispatcher.h"
#include "console/reply_buffer.h"
#include "net/net_setup_endpoint.h"
#include "net/net_unit_settings.h"
#include "net/setup_protocol.h"
#include "serial/com_port.h"

namespace vidideza {

class TAdapter;

// The main window's logic: the form's state, its components and every handler of the system,
// reaching its controls only through a view. A view calls the handlers through Guard(), so an
// error that leaves one goes to the error box.
class TForm1 final : private SetupProtocolHost {
 public:
  // The window as built by start-up step 3: the components configured, everything closed.
  explicit TForm1(TFormView& view);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  const HandlerGuard& Guard() const { return guard_; }
  const TComPort& ComPort1() const { return *ComPort1_; }
  const TIdUDPServer& IdUDPServer1() const { return NetEndpoint_->Server(); }
  const NetSetupProtocol& SetupProtocol() const { return Protocol; }
  const TrafficLog& TrafficLogFile() const { return Log; }

  // Start-up and shutdown, each step in its own guard as the window's steps are.
  void FormCreate();
  void FormDestroy();

  // Page show actions.
  void TabSheet1Show();
  void TabSheet2Show();

  // Serial port selector: a change reopens the port; opening the list reads the ports anew.
  void ComboBox3Change();
  void ComboBox3DropDown();

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
  // AdvOfficeRadioButton1Click ... AdvOfficeRadioButton6Click: the same handler for each.
  void AdvOfficeRadioButtonClick();
  void ComPort1RxChar();
  void Uprav();
  std::string UpravDet(const std::string& line) const;

  // QVX-NET page.
  // Every datagram the page's endpoint receives; setup messages then go to the protocol.
  void IdUDPServer1UDPRead(std::string_view data);
  void Edit8Exit();
  void Edit11Change();
  void Button10Click();
  void ComboBox4Change();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();

 private:
  void ConfigureComPort();
  void FillCardSelector();
  void FillPortSelector();
  void ShowAdapterAddresses(const TAdapter& adapter);
  void ShowHexAddress();
  std::optional<char> CheckedCode() const;
  int ControlUnitAddress() const;
  void SendCommandLine(std::string_view edit);
  void SendOverChosenLink(const std::string& bytes);
  void SendToNetUnit(const std::string& bytes);
  void RebindUdpServer();

  // What the setup protocol shows and sends through the window.
  std::string UnitIpText() const override;
  void ShowStatus(const std::string& caption) override;
  void ShowUnitIpCaption(const std::string& caption) override;
  void ShowUnitReady(bool ready) override;
  void StartTimer(Timer timer) override;
  void StopTimer(Timer timer) override;
  void SendToSetupPort(const std::string& host, const std::string& data) override;

  TFormView& view_;
  HandlerGuard guard_;
  UiDispatcher dispatcher_;
  std::unique_ptr<TComPort> ComPort1_;
  std::unique_ptr<NetSetupEndpoint> NetEndpoint_;  // the page's IdUDPServer1
  // Program-wide state held by the form.
  std::int32_t CardNr = 0;   // never changed while the program runs
  std::string StartFolder_;  // names the settings file even when the folder is gone by the end
  TrafficLog Log;
  SerialReplyBuffer SerialReplyBuffer_;  // lives as long as the program, across port changes
  NetUnitSettings NetUnitSettings_;
  NetSetupProtocol Protocol{*this, NetUnitSettings_};
};

}  // namespace vidideza
