#include "app/posix_write_protection.h"

#include <sys/stat.h>

namespace vidideza {

bool IsWriteProtected(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace vidideza
