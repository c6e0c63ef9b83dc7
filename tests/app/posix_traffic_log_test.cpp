#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/io_error.h"
#include "app/traffic_log.h"
#include "full_disk_check.h"
#include "small_tmpfs.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

namespace fs = std::filesystem;

TEST(TrafficLog, MissingFolderGives3) {
  const CurrentTempDir dir;
  fs::create_directory(dir.path() / "gone");
  fs::current_path(dir.path() / "gone");
  fs::remove(dir.path() / "gone");
  TrafficLog log;
  EXPECT_EQ(IoCode([&] { log.Open(); }), 3);
  fs::current_path(dir.path());
}

TEST(TrafficLog, ReadOnlyFolderGives5) {
  const CurrentTempDir dir;
  const SmallTmpfs disk(dir.path() / "ro", "size=64k");
  if (!disk.mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  disk.RemountReadOnly();
  fs::current_path(dir.path() / "ro");
  TrafficLog log;
  EXPECT_EQ(IoCode([&] { log.Open(); }), 5);
  fs::current_path(dir.path());
}

TEST(TrafficLog, FullDiskGives112KeepsWholeLinesAndWritesAgainWhenSpaceReturns) {
  const CurrentTempDir dir;
  const SmallTmpfs disk(dir.path() / "disk", "size=16k");
  if (!disk.mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  CheckFullDiskLog(dir.path() / "disk");
  fs::current_path(dir.path());
}

// Judged by the file's own mode bits, so that it holds for root as well.
TEST(TrafficLog, WriteProtectedLogGives5AndIsLeftAsItWas) {
  const CurrentTempDir dir;
  const auto file = std::filesystem::current_path() / "Test.log";
  WriteFileText(file, "SND: earlier\r\n");
  ::chmod(file.c_str(), 0444);
  TrafficLog log;
  EXPECT_EQ(IoCode([&] { log.Open(); }), 5);
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(FileText(file), "SND: earlier\r\n");
}

}  // namespace
}  // namespace vidideza
