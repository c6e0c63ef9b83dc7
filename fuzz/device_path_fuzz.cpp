// Port names as the port selector may hold them, mapped to the device file: a path stays as it
// is, "COMn" (any case, n from 1 to 256, no leading zero) is /dev/ttyS(n-1), and any other name
// lies directly under /dev.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "serial/posix_device_path.h"

using namespace vidideza;

namespace {

// n for "COMn" as the rule reads, or 0.
int ComNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 6) {
    return 0;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
      return 0;
    }
  }
  const std::string digits = name.substr(3);
  if (digits.front() == '0' || digits.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  const int n = std::stoi(digits);
  return n <= 256 ? n : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const std::string path = PosixDevicePath(name);
  if (name.find('/') != std::string::npos) {
    Check(path == name);
  } else if (const int n = ComNumber(name); n > 0) {
    Check(path == "/dev/ttyS" + std::to_string(n - 1));
  } else {
    Check(path == "/dev/" + name);
  }
  return 0;
}
