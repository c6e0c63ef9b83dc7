#include "json_text.h"

#include <cstdio>

namespace qvxctl {

std::string JsonString(std::string_view bytes) {
  std::string json = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      json += c;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      json += escape;
    }
  }
  return json + '"';
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",;\"\r\n") == std::string_view::npos) {
    return std::string(text);
  }
  std::string field = "\"";
  for (const char c : text) {
    field += c;
    if (c == '"') {
      field += '"';
    }
  }
  return field + '"';
}

}  // namespace qvxctl
