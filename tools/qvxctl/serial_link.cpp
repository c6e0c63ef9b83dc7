#include "serial_link.h"

#include <chrono>

#include "serial/com_error.h"
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
  bytesSent_ += bytes.size();
}

void SerialLink::Drain() {
  // A byte takes 1.15 ms on the line at 9600 baud with 8 data bits and 2 stop bits; a unit
  // that reads slowly gets some seconds more.
  const auto limit = std::chrono::milliseconds(2000 + 2 * bytesSent_);
  if (!port_.DrainOutput(limit)) {
    throw vidideza::EComError(vidideza::kTimeoutText, 0);  // as a write that timed out
  }
}

void SerialLink::OnRxChar() {
  replies_.Append(port_.ReadText());
  vidideza::TakeReplyLines(replies_, onLine_);
}

}  // namespace qvxctl
