#pragma once

#include <string>
#include <string_view>

namespace vidideza {

// The platform's file services for the settings file and the log: where the current directory
// is, and reading and writing one value of an INI file.

// The full path of the current directory; "" when it can no longer be named (removed).
std::string CurrentDirectory();

// The full path of a file in the current directory; in whenGone (or ".") when the current
// directory can no longer be named.
std::string PathInCurrentDirectory(std::string_view fileName, std::string_view whenGone = "");

// The value, or fallback when the file, section or key is missing. Never fails.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::string& path);

// Sets the value, creating the file when missing. False when the platform refuses the write
// (a write-protected file or folder, a full disk); the file is then as it was.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);

}  // namespace vidideza
