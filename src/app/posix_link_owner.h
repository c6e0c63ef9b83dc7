#pragma once

#include <sys/stat.h>

namespace vidideza {

// Whether a symbolic link may be followed to the settings file or the log: only a link of the
// user running the program, or of root, is. A link that another user planted in a folder the
// program writes in (another user's folder, when run as root) could lead into any file the
// program may write and that user may not.
bool MayFollowLink(const struct stat& link);

}  // namespace vidideza
