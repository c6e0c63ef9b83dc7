#pragma once

#include <cstdint>
#include <string>

namespace vidideza {

inline constexpr const char* kSettingsFileName = "VIDideza.ini";

// What the settings file carries from one run to the next.
struct Settings {
  std::string comPort = "COM1";  // [Serial] COMPort
  std::int32_t cardNr = 0;       // [Network] CardNr
};

// Reads "VIDideza.ini" in the current directory; never fails (defaults stand in).
Settings ReadSettings();

// Writes COMPort, then CardNr; raises "Unable to write to <path>" when the write is refused.
// The path is named in startFolder when the current directory can no longer be named.
void WriteSettings(const Settings& settings, const std::string& startFolder = "");

}  // namespace vidideza
