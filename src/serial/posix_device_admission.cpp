#include "serial/posix_device_admission.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

namespace vidideza {

namespace {

// /dev/tty stands for whichever terminal controls the caller; /dev/console is the system's.
constexpr unsigned kTtyMajor = 5;
constexpr unsigned kCurrentTtyMinor = 0;
constexpr unsigned kConsoleMinor = 1;

}  // namespace

int DeviceRefusal(mode_t mode, dev_t device, const std::vector<dev_t>& ownTerminals) {
  if (S_ISDIR(mode)) {
    return ENOENT;  // a folder is no device at all
  }
  if (!S_ISCHR(mode)) {
    return ENOTTY;
  }
  if (std::find(ownTerminals.begin(), ownTerminals.end(), device) != ownTerminals.end()) {
    return EBUSY;
  }
  return 0;
}

std::optional<dev_t> ControllingTerminalOf(std::string_view statLine) {
  // The command name in parentheses may hold anything, spaces and ')' included.
  const auto nameEnd = statLine.rfind(')');
  if (nameEnd == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view rest = statLine.substr(nameEnd + 1);
  // After the name: state, ppid, pgrp, session, tty_nr.
  constexpr int kTtyField = 5;
  std::string_view field;
  for (int i = 0; i < kTtyField; ++i) {
    const auto start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) {
      return std::nullopt;
    }
    rest = rest.substr(start);
    const auto end = std::min(rest.find(' '), rest.size());
    field = rest.substr(0, end);
    rest = rest.substr(end);
  }
  long long ttyNr = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), ttyNr);
  if (error != std::errc() || end != field.data() + field.size() || ttyNr <= 0) {
    return std::nullopt;
  }
  const auto nr = static_cast<unsigned long long>(ttyNr);
  const auto major = static_cast<unsigned>((nr >> 8U) & 0xfffU);
  const auto minor = static_cast<unsigned>((nr & 0xffU) | ((nr >> 12U) & 0xfff00U));
  return makedev(major, minor);
}

std::vector<dev_t> OwnTerminals() {
  std::vector<dev_t> terminals = {makedev(kTtyMajor, kCurrentTtyMinor),
                                  makedev(kTtyMajor, kConsoleMinor)};
  // A container may bind another terminal over /dev/console.
  for (const char* path : {"/dev/tty", "/dev/console"}) {
    struct stat st {};
    if (::stat(path, &st) == 0 && S_ISCHR(st.st_mode)) {
      terminals.push_back(st.st_rdev);
    }
  }
  std::ifstream stat("/proc/self/stat");
  const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  if (const auto controlling = ControllingTerminalOf(line)) {
    terminals.push_back(*controlling);
  }
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    struct stat st {};
    if (::isatty(stream) != 0 && ::fstat(stream, &st) == 0 && S_ISCHR(st.st_mode)) {
      terminals.push_back(st.st_rdev);
    }
  }
  return terminals;
}

}  // namespace vidideza
