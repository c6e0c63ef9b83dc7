#include "app/posix_write_protection.h"

#include <sys/stat.h>

namespace vidideza {

bool IsWriteProtected(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && ForbidsWriting(st.st_mode);
}

}  // namespace vidideza
