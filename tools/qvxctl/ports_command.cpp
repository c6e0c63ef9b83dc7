#include <ostream>

#include "commands.h"
#include "json_text.h"
#include "serial/serial_device.h"

namespace qvxctl {

int RunPorts(const Arguments& arguments, Console& console) {
  RefuseOperands(arguments);
  const auto ports = vidideza::SerialPortListings();
  if (arguments.Has("--json")) {
    console.out << '[';
    for (std::size_t i = 0; i < ports.size(); ++i) {
      console.out << (i == 0 ? "\n  " : ",\n  ") << "{\"name\": " << JsonString(ports[i].name)
                  << ", \"identity\": " << JsonString(ports[i].identity) << '}';
    }
    console.out << (ports.empty() ? "]\n" : "\n]\n");
    return 0;
  }
  for (const auto& port : ports) {
    console.out << port.name << (port.identity.empty() ? "" : "  " + port.identity) << '\n';
  }
  return 0;
}

}  // namespace qvxctl
