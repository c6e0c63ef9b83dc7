#include "app/settings_file.h"

#include "app/profile.h"
#include "base/exception.h"
#include "base/integer_parsing.h"

namespace vidideza {

namespace {

void WriteValue(const char* section, const char* key, const std::string& value,
                const std::string& path) {
  if (!WritePrivateProfileString(section, key, value, path)) {
    throw Exception("Unable to write to " + path);
  }
}

}  // namespace

Settings ReadSettings() {
  const std::string path = PathInCurrentDirectory(kSettingsFileName);
  Settings settings;
  settings.comPort = GetPrivateProfileString("Serial", "COMPort", "COM1", path);
  settings.cardNr = ParseIntegerOr(GetPrivateProfileString("Network", "CardNr", "", path), 0);
  return settings;
}

void WriteSettings(const Settings& settings, const std::string& startFolder) {
  const std::string path = PathInCurrentDirectory(kSettingsFileName, startFolder);
  WriteValue("Serial", "COMPort", settings.comPort, path);
  WriteValue("Network", "CardNr", std::to_string(settings.cardNr), path);
}

}  // namespace vidideza
