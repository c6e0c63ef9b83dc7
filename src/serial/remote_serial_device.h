#pragma once

#include <chrono>
#include <memory>

#include "serial/remote_port_name.h"
#include "serial/serial_device.h"

namespace vidideza {

// How long the open waits for the connection, and then for the server's answers to the option
// requests and to each batch of port settings.
inline constexpr auto kServerConnectLimit = std::chrono::seconds(2);
inline constexpr auto kServerAnswerLimit = std::chrono::seconds(2);

// A serial port at a serial device server, over TCP: with RFC 2217 the line settings are made
// at the far end and checked against the server's answers; a raw socket carries the bytes
// alone. Opening connects and, for RFC 2217, agrees the Telnet options, or raises EComError.
std::unique_ptr<SerialDevice> OpenRemoteSerialDevice(const RemotePortName& name);

// Whether the server takes a connection now (the connection is let go at once).
bool RemoteSerialDevicePresent(const RemotePortName& name);

}  // namespace vidideza
