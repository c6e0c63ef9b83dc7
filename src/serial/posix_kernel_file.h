#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vidideza {

// The text of a small file the kernel makes (/proc, /sys), or nothing when it cannot be read.
// Such a file may go between its open and its read (a process closes the descriptor that an
// fdinfo file describes, an adapter is unplugged): that is an answer, not a failure.
std::optional<std::string> ReadKernelFile(const std::filesystem::path& file);

}  // namespace vidideza
