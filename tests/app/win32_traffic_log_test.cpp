#include <gtest/gtest.h>

#include <cstdlib>

#include "full_disk_check.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

TEST(TrafficLog, FullDiskGives112KeepsWholeLinesAndWritesAgainWhenSpaceReturns) {
  const char* disk = std::getenv("VIDIDEZA_SMALL_DISK");
  if (disk == nullptr) {
    GTEST_SKIP() << "needs a small empty disk: run through scripts/test-windows as root";
  }
  const CurrentTempDir dir;
  CheckFullDiskLog(disk);
  std::filesystem::current_path(dir.path());
}

}  // namespace
}  // namespace vidideza
