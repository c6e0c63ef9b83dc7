// The settings file layer on arbitrary file contents: ReadSettings and CardNr read what a
// plain INI reading gives, a write changes only the two keys, and what was written reads back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/ini_text.h"
#include "app/settings_file.h"
#include "base/integer_parsing.h"
#include "fuzz_check.h"

using namespace vidideza;

namespace {

void WriteFile(const std::string& text) {
  std::ofstream(kSettingsFileName, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadFile() {
  std::ifstream in(kSettingsFileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A profile file drops blanks around a value and one pair of quotes, so a value that starts or
// ends with either does not come back as it was written (the Windows functions behave the same).
bool HoldsAsIs(const std::string& value) {
  const auto loose = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
  return value.empty() || (!loose(value.front()) && !loose(value.back()));
}

}  // namespace

// Works in a folder of its own, on a memory file system where there is one.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/dev/shm/settings-fuzz-XXXXXX";
  char fallback[] = "/tmp/settings-fuzz-XXXXXX";
  const char* made = ::mkdtemp(folder);
  if (made == nullptr) {
    made = ::mkdtemp(fallback);
  }
  Check(made != nullptr && ::chdir(made) == 0);
  std::atexit([] {
    char here[4096] = {};
    ::unlink(kSettingsFileName);
    if (::getcwd(here, sizeof here) != nullptr) {
      ::rmdir(here);
    }
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  WriteFile(text);
  const Settings read = ReadSettings();
  const auto port = IniRead(text, "Serial", "COMPort");
  Check(read.comPort == port.value_or("COM1"));
  Check(read.cardNr == ParseIntegerOr(IniRead(text, "Network", "CardNr").value_or(""), 0));
  const auto other = IniRead(text, "Tool", "Operator");

  Settings changed = read;
  changed.cardNr = read.cardNr ^ 5;
  WriteSettings(changed);
  const std::string written = ReadFile();
  Check(IniRead(written, "Tool", "Operator") == other);
  const Settings again = ReadSettings();
  Check(again.cardNr == changed.cardNr);
  if (HoldsAsIs(read.comPort)) {
    Check(again.comPort == read.comPort);
  }
  // A second write of the same values changes nothing.
  WriteSettings(changed);
  Check(ReadFile() == written);
  return 0;
}
