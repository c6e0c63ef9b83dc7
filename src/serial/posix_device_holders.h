#pragma once

namespace vidideza {

// Whether a process other than this one has the character device behind fd open, as far as
// /proc lets this user see: processes of other users stay hidden unless the tool runs as root.
bool AnotherProcessHoldsDevice(int fd);

}  // namespace vidideza
