#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "console/reply_buffer.h"
#include "event_loop.h"
#include "serial/com_port.h"

namespace qvxctl {

// A QVX-RS unit on a serial port, opened as the window opens it (9600 8N2, no flow control,
// DTR and RTS off). Each non-empty reply line goes to onLine on the loop's thread.
class SerialLink {
 public:
  using LineSink = std::function<void(std::string_view line)>;

  // Raises the port's EComError when it cannot be opened.
  SerialLink(EventLoop& loop, const std::string& portName, LineSink onLine);
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  void Send(const std::string& bytes);
  // Returns once every byte sent has left the port, which closing would otherwise discard;
  // raises the port's "Timeout" when they do not leave in the time they need on the line.
  void Drain();

 private:
  void OnRxChar();

  vidideza::TComPort port_;
  vidideza::SerialReplyBuffer replies_;
  LineSink onLine_;
  std::size_t bytesSent_ = 0;
};

}  // namespace qvxctl
