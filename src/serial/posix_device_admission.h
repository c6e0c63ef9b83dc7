#pragma once

#include <sys/types.h>

#include <optional>
#include <string_view>
#include <vector>

namespace vidideza {

// Which files the port may open: terminals that are serial lines, never the terminal the tool
// itself runs in (switching that to raw 9600 8N2 would leave the technician's shell without
// echo). Returns the errno that refuses a file of this mode and device number, 0 to admit it.
int DeviceRefusal(mode_t mode, dev_t device, const std::vector<dev_t>& ownTerminals);

// The controlling terminal named by the tty_nr field of a /proc/<pid>/stat line; nothing when
// the process has none or the line cannot be read.
std::optional<dev_t> ControllingTerminalOf(std::string_view statLine);

// The terminals of this process: /dev/tty, /dev/console, the controlling terminal and the
// terminals of the standard streams.
std::vector<dev_t> OwnTerminals();

}  // namespace vidideza
