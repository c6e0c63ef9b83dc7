#include "app/io_error.h"

namespace vidideza {

std::string IoErrorMessage(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    default:
      return "I/O error " + std::to_string(code);
  }
}

}  // namespace vidideza
