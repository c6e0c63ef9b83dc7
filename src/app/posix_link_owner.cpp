#include "app/posix_link_owner.h"

#include <unistd.h>

namespace vidideza {

bool MayFollowLink(const struct stat& link) {
  return link.st_uid == ::geteuid() || link.st_uid == 0;
}

}  // namespace vidideza
