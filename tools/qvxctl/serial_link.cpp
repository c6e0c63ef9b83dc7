#include "serial_link.h"

#include "serial/qvx_line.h"

namespace qvxctl {

SerialLink::SerialLink(EventLoop& loop, const std::string& portName, LineSink onLine)
    : port_(loop.Dispatcher()), onLine_(std::move(onLine)) {
  port_.SetDeviceName(portName);
  vidideza::SetQvxLineSettings(port_);
  port_.SetOnRxChar([this](vidideza::TCustomComPort&) { OnRxChar(); });
  port_.SetActive(true);
}

void SerialLink::Send(const std::string& bytes) {
  port_.WriteText(bytes);
}

void SerialLink::OnRxChar() {
  replies_.Append(port_.ReadText());
  vidideza::TakeReplyLines(replies_, onLine_);
}

}  // namespace qvxctl
