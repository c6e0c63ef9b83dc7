#include "unit_link.h"

namespace qvxctl {

LinkTarget LinkTargetOf(const Arguments& arguments) {
  const std::string command = "qvxctl " + arguments.command + ": ";
  const auto serial = arguments.Value("--serial");
  const auto net = arguments.Value("--net");
  if (serial.has_value() == net.has_value()) {
    throw UsageError(command + "name the unit's link: --serial PORT or --net IP");
  }
  LinkTarget target;
  if (serial) {
    if (arguments.Has("--server-port")) {
      throw UsageError(command + "--server-port goes with --net only");
    }
    if (serial->empty()) {
      throw UsageError(command + "--serial needs a port name");
    }
    target.serialPort = *serial;
  } else {
    target.netIp = *net;
  }
  if (const auto port = arguments.Value("--server-port")) {
    target.serverPort = BoundedInteger("--server-port", *port, 0, 65535);
  }
  return target;
}

UnitLink::UnitLink(EventLoop& loop, const LinkTarget& target, LineSink onLine, StatusLine& status) {
  if (!target.serialPort.empty()) {
    serial_ = std::make_unique<SerialLink>(loop, target.serialPort, std::move(onLine));
    return;
  }
  net_ = std::make_unique<NetLink>(loop, target.netIp, target.serverPort, std::move(onLine),
                                   [&status](const std::string& caption) { status.Show(caption); });
  const bool ready = net_->AwaitCommandPort();
  status.End();
  if (!ready) {
    throw TimeoutFailure();
  }
}

void UnitLink::Drain() {
  if (serial_) {
    serial_->Drain();
  }
}

void UnitLink::Send(const std::string& bytes) {
  if (serial_) {
    serial_->Send(bytes);
  } else {
    net_->Send(bytes);
  }
}

}  // namespace qvxctl
