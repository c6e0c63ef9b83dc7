#pragma once

#include <sys/stat.h>

#include <optional>
#include <string_view>

namespace vidideza {

// Whether a process other than this one has the character device behind fd open, as far as
// /proc lets this user see: processes of other users stay hidden unless the tool runs as root.
// A process that also holds the master side of that pseudo-terminal is its provider, not a
// second reader, and does not count.
bool AnotherProcessHoldsDevice(int fd);

// The index of a pseudo-terminal slave by its device number: N of /dev/pts/N.
unsigned PtySlaveIndex(dev_t device);

// The pseudo-terminal a master's /proc/PID/fdinfo text names ("tty-index:"), or nothing.
std::optional<unsigned> PtyIndexInFdInfo(std::string_view fdinfo);

// Whether two files are the same character device: the same device number and, for
// pseudo-terminals, the same devpts instance.
bool IsSameCharacterDevice(const struct stat& a, const struct stat& b);

}  // namespace vidideza
