#include "net/socket_errors.h"

namespace vidideza {

EIdSocketError::EIdSocketError(int number, const std::string& text)
    : EIdException("Socket Error # " + std::to_string(number) + "\r\n" + text), number_(number) {}

std::string SocketErrorText(int number) {
  switch (number) {
    case 10040:
      return "Message too long.";
    case 10048:
      return "Address already in use.";
    case 10049:
      return "Cannot assign requested address.";
    case 10050:
      return "Network is down.";
    case 10051:
      return "Network is unreachable.";
    case 10054:
      return "Connection reset by peer.";
    case 10065:
      return "No route to host.";
    case 11001:
      return "Host not found.";
    default:
      return "";
  }
}

}  // namespace vidideza
