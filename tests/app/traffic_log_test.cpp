#include "app/traffic_log.h"

#include <gtest/gtest.h>

#include "app/io_error.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

namespace fs = std::filesystem;

// The code of the EInOutError that action raises, or 0.
int IoCode(const std::function<void()>& action) {
  try {
    action();
  } catch (const EInOutError& e) {
    return e.code();
  }
  return 0;
}

TEST(IoErrorMessage, NamedCodesAndTheRest) {
  const struct {
    int code;
    const char* message;
  } rows[] = {{2, "File not found"},     {3, "Invalid filename"}, {4, "Too many open files"},
              {5, "File access denied"}, {32, "I/O error 32"},    {103, "I/O error 103"},
              {105, "I/O error 105"},    {112, "I/O error 112"}};
  for (const auto& row : rows) {
    EXPECT_EQ(IoErrorMessage(row.code), row.message);
  }
}

TEST(TrafficLog, AppendsLinesWithCrLfByteForByteAcrossRuns) {
  const CurrentTempDir dir;
  WriteFileText(dir.path() / "Test.log", "SND: old\r\n");
  TrafficLog log;
  log.Open();
  log.WriteLine("SND: A000A,ON");
  // Each line is in the file as soon as it is written, not when the log closes.
  EXPECT_EQ(FileText(dir.path() / "Test.log"), "SND: old\r\nSND: A000A,ON\r\n");
  log.WriteLine(std::string("RCV: \x00\xFF\r", 8));
  log.Close();
  EXPECT_EQ(FileText(dir.path() / "Test.log"),
            std::string("SND: old\r\nSND: A000A,ON\r\nRCV: \x00\xFF\r\r\n", 35));
}

TEST(TrafficLog, NotOpenGives105ForWritesAnd103ForClose) {
  TrafficLog log;
  EXPECT_EQ(IoCode([&] { log.WriteLine("SND: x"); }), 105);
  EXPECT_EQ(IoCode([&] { log.Close(); }), 103);
}

TEST(TrafficLog, SecondCopyInTheSameDirectoryGets32) {
  const CurrentTempDir dir;
  TrafficLog first;
  first.Open();
  TrafficLog second;
  EXPECT_EQ(IoCode([&] { second.Open(); }), 32);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(IoCode([&] { second.WriteLine("SND: x"); }), 105);
  first.Close();
  EXPECT_NO_THROW(second.Open());
}

TEST(TrafficLog, MissingFolderGives3AndADirectoryNamedTestLogGives5) {
  const CurrentTempDir dir;
  fs::create_directory(dir.path() / "gone");
  fs::current_path(dir.path() / "gone");
  fs::remove(dir.path() / "gone");
  TrafficLog log;
  EXPECT_EQ(IoCode([&] { log.Open(); }), 3);
  fs::current_path(dir.path());

  fs::create_directory(dir.path() / "Test.log");
  EXPECT_EQ(IoCode([&] { log.Open(); }), 5);
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
  fs::current_path(dir.path() / "disk");
  WriteFileText(dir.path() / "disk" / "filler", std::string(8 * 1024, 'x'));
  TrafficLog log;
  log.Open();
  const std::string line = "RCV: " + std::string(95, 'r');  // 102 bytes with CR LF
  int code = 0;
  int written = 0;
  while (code == 0 && written < 1000) {
    code = IoCode([&] { log.WriteLine(line); });
    written += code == 0 ? 1 : 0;
  }
  EXPECT_EQ(code, 112);
  EXPECT_TRUE(log.IsOpen());
  EXPECT_EQ(fs::file_size(dir.path() / "disk" / "Test.log"), written * (line.size() + 2));

  fs::remove(dir.path() / "disk" / "filler");
  EXPECT_NO_THROW(log.WriteLine("SND: after"));
  log.Close();
  const std::string text = FileText(dir.path() / "disk" / "Test.log");
  EXPECT_EQ(text.substr(text.size() - 12), "SND: after\r\n");
  fs::current_path(dir.path());
}

}  // namespace
}  // namespace vidideza
