// The INI reader and writer on arbitrary text: a written value reads back, and a value of
// another section is left as it was.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ini_text.h"

using namespace vidideza;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto before = IniRead(text, "Network", "CardNr");
  (void)IniRead(text, "Serial", "COMPort");

  const std::string written = IniWrite(text, "Serial", "COMPort", "COM12");
  if (IniRead(written, "Serial", "COMPort") != "COM12") {
    __builtin_trap();
  }
  if (IniRead(written, "Network", "CardNr") != before) {
    __builtin_trap();
  }
  return 0;
}
