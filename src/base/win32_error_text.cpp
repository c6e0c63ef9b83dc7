#include "base/win32_error_text.h"

#include <windows.h>

namespace vidideza {

std::string SystemErrorText(unsigned long code) {
  char buffer[512] = {};
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, buffer, sizeof buffer, nullptr);
  while (length > 0 &&
         (static_cast<unsigned char>(buffer[length - 1]) <= ' ' || buffer[length - 1] == '.')) {
    --length;
  }
  return std::string(buffer, length);
}

}  // namespace vidideza
