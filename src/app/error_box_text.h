#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace vidideza {

// The text the error box shows for a message: "." is appended when the last character sorts
// after "." (letters and digits do, ")" does not).
std::string ErrorBoxText(std::string_view message);

// The error box text for an escaped error, or nothing for a silent abort.
std::optional<std::string> ErrorBoxTextFor(const std::exception_ptr& error);

// The application title: the program file's name up to its first ".", every letter after the
// first in lower case ("SERVICE.EXE" gives "Service").
std::string ApplicationTitle(std::string_view programFileName);

}  // namespace vidideza
