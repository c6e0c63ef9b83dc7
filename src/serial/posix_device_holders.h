#pragma once

#include <sys/stat.h>

namespace vidideza {

// Whether a process other than this one has the character device behind fd open, as far as
// /proc lets this user see: processes of other users stay hidden unless the tool runs as root.
bool AnotherProcessHoldsDevice(int fd);

// Whether two files are the same character device: the same device number and, for
// pseudo-terminals, the same devpts instance.
bool IsSameCharacterDevice(const struct stat& a, const struct stat& b);

}  // namespace vidideza
