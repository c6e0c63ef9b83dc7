// Reading the kernel's small files, where a file may go or fail between its open and its read.
#include "serial/posix_kernel_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "test_temp_dir.h"

namespace vidideza {
namespace {

TEST(KernelFile, ReadsWhatIsThereAndAnswersNothingForWhatCannotBeRead) {
  const CurrentTempDir dir;
  std::ofstream("attribute") << "ttyUSB0\nsecond line\n";
  std::ofstream("empty");
  // The descriptor an fdinfo file described, closed before the look.
  const int fd = ::open("attribute", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const std::string closedInfo = "/proc/self/fdinfo/" + std::to_string(fd);
  ::close(fd);

  const struct {
    std::string file;
    std::optional<std::string> text;
  } rows[] = {
      {"attribute", "ttyUSB0\nsecond line\n"},
      {"empty", ""},
      {"missing", std::nullopt},
      {closedInfo, std::nullopt},
      // Opens, but its read fails (EISDIR): where a stream throws, this answers nothing.
      {dir.path().string(), std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ReadKernelFile(row.file), row.text) << row.file;
  }
}

}  // namespace
}  // namespace vidideza
