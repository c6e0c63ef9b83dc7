// Settings file access on Windows: the platform's own profile functions.
#include <windows.h>

#include <vector>

// windows.h maps these names onto its A/W variants; ours are the system's own functions.
#undef GetPrivateProfileString
#undef WritePrivateProfileString

#include "app/ini_text.h"
#include "app/profile.h"

namespace vidideza {

std::string CurrentDirectory() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) {
      return "";
    }
    if (length < buffer.size()) {
      return std::string(buffer.data(), length);
    }
    buffer.resize(length + 1);  // the size it needs, its terminating zero included
  }
}

std::string PathInCurrentDirectory(std::string_view fileName, std::string_view whenGone) {
  std::string dir = CurrentDirectory();
  if (dir.empty()) {
    dir = whenGone.empty() ? "." : std::string(whenGone);
  }
  // A drive's root ("C:\") already ends with the separator.
  if (dir.empty() || dir.back() != '\\') {
    dir += '\\';
  }
  return dir.append(fileName);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::string& path) {
  char buffer[kMaxProfileValue + 1] = {};
  const DWORD length = ::GetPrivateProfileStringA(
      std::string(section).c_str(), std::string(key).c_str(), std::string(fallback).c_str(), buffer,
      sizeof buffer, path.c_str());
  return std::string(buffer, length);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
  return ::WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(value).c_str(), path.c_str()) != 0;
}

}  // namespace vidideza
