#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vidideza {

// Reading and writing one value in the text of an INI file, as the Windows profile functions
// do: "[Section]" lines open sections, "key=value" lines follow; section and key names match
// regardless of case (the first match counts); blanks around names and values do not count and
// one pair of quotes around a value is dropped. Everything else in the text stays as it is.

// The longest value a read gives back (the reader's buffer holds 2048 characters).
inline constexpr std::size_t kMaxProfileValue = 2047;

std::optional<std::string> IniRead(std::string_view text, std::string_view section,
                                   std::string_view key);

// The text with the key set to value: an existing line is rewritten in place, a missing key is
// added after the last entry of its section, a missing section is added at the end. New lines
// use the line end the text already uses (CR LF in a new file). A value that would read as it
// reads already leaves the text exactly as it is.
std::string IniWrite(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace vidideza
