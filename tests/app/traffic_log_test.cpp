#include "app/traffic_log.h"

#include <gtest/gtest.h>

#include "app/io_error.h"
#include "full_disk_check.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

namespace fs = std::filesystem;

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

// A line of megabytes is written from where it lies, its line end after it, as one line.
TEST(TrafficLog, AHugeLineIsLoggedWholeWithItsEnd) {
  const CurrentTempDir dir;
  TrafficLog log;
  log.Open();
  std::string huge(3 << 20, 'h');
  huge[1000] = '\r';
  log.WriteLine("RCV: " + huge);
  log.WriteLine("SND: next");
  log.Close();
  EXPECT_EQ(FileText(dir.path() / "Test.log"), "RCV: " + huge + "\r\nSND: next\r\n");
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

TEST(TrafficLog, ADirectoryNamedTestLogGives5) {
  const CurrentTempDir dir;
  fs::create_directory(dir.path() / "Test.log");
  TrafficLog log;
  EXPECT_EQ(IoCode([&] { log.Open(); }), 5);
}

}  // namespace
}  // namespace vidideza
