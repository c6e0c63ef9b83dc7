#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <functional>

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

// A FIFO would hold the open until someone reads it: start-up must never wait on one.
TEST(TrafficLog, ALogThatIsNotARegularFileGives5AndIsNotWaitedOn) {
  const CurrentTempDir dir;
  const auto file = fs::current_path() / "Test.log";
  const struct {
    const char* what;
    std::function<void()> make;
  } rows[] = {
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0666), 0); }},
      {"link to a FIFO",
       [&] {
         ASSERT_EQ(::mkfifo((dir.path() / "pipe").c_str(), 0666), 0);
         fs::create_symlink(dir.path() / "pipe", file);
       }},
      {"link to a device", [&] { fs::create_symlink("/dev/null", file); }},
  };
  for (const auto& row : rows) {
    row.make();
    TrafficLog log;
    EXPECT_EQ(IoCode([&] { log.Open(); }), 5) << row.what;
    EXPECT_FALSE(log.IsOpen()) << row.what;
    EXPECT_TRUE(fs::is_fifo(file) || fs::is_character_file(file)) << row.what;
    fs::remove(file);
    fs::remove(dir.path() / "pipe");
  }
}

TEST(TrafficLog, ARemovedOrReplacedLogIsCreatedAgainAndNoLineIsLost) {
  const CurrentTempDir dir;
  const auto file = fs::current_path() / "Test.log";
  TrafficLog log;
  log.Open();
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    if (i % 10 == 5) {
      fs::remove(file);
      expected.clear();
    }
    const std::string line = "RCV: line " + std::to_string(i);
    log.WriteLine(line);
    expected += line + "\r\n";
  }
  EXPECT_EQ(FileText(file), expected);  // the ten lines since the last removal

  // Renamed away (a log rotation): the old file keeps its lines, the next goes into a new one.
  fs::rename(file, fs::current_path() / "Test.log.1");
  log.WriteLine("SND: after rotation");
  EXPECT_EQ(FileText(fs::current_path() / "Test.log.1"), expected);
  EXPECT_EQ(FileText(file), "SND: after rotation\r\n");

  // A FIFO put in its place is refused, not waited on; once it is gone the log goes on.
  fs::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0666), 0);
  EXPECT_EQ(IoCode([&] { log.WriteLine("SND: refused"); }), 5);
  fs::remove(file);
  log.WriteLine("SND: again");
  EXPECT_EQ(FileText(file), "SND: again\r\n");
}

TEST(TrafficLog, AFolderRemovedWhileRunningGives3AndARenamedOneKeepsTheLog) {
  const CurrentTempDir dir;
  fs::create_directory(dir.path() / "site");
  fs::current_path(dir.path() / "site");
  TrafficLog log;
  log.Open();
  log.WriteLine("SND: one");
  fs::rename(dir.path() / "site", dir.path() / "site-old");
  log.WriteLine("SND: two");
  EXPECT_EQ(FileText(dir.path() / "site-old" / "Test.log"), "SND: one\r\nSND: two\r\n");

  fs::remove_all(dir.path() / "site-old");
  EXPECT_EQ(IoCode([&] { log.WriteLine("SND: three"); }), 3);
  EXPECT_TRUE(log.IsOpen());
  fs::current_path(dir.path());
}

// Run as root in another user's folder, that user's links lead nowhere: not into a file only
// root may write, and a dangling one creates nothing. The program's own user's links still do.
TEST(TrafficLog, AnotherUsersLinkIsRefusedWithCode5AndNothingIsWritten) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "giving a link to another user needs root";
  }
  const CurrentTempDir dir;
  constexpr uid_t kNobody = 65534;
  const auto file = fs::current_path() / "Test.log";
  const auto target = dir.path() / "root-only";
  const struct {
    const char* what;
    bool targetExists;
  } rows[] = {{"link to a file", true}, {"dangling link", false}};
  for (const auto& row : rows) {
    if (row.targetExists) {
      WriteFileText(target, "root's\n");
    }
    fs::create_symlink(target, file);
    ASSERT_EQ(::lchown(file.c_str(), kNobody, kNobody), 0);
    TrafficLog log;
    EXPECT_EQ(IoCode([&] { log.Open(); }), 5) << row.what;
    EXPECT_FALSE(log.IsOpen()) << row.what;
    EXPECT_EQ(fs::exists(target), row.targetExists) << row.what;
    if (row.targetExists) {
      EXPECT_EQ(FileText(target), "root's\n") << row.what;
    }

    // Root's own link is followed; a dangling one of its own makes its target.
    ASSERT_EQ(::lchown(file.c_str(), 0, 0), 0);
    log.Open();
    log.WriteLine("SND: own link");
    EXPECT_EQ(FileText(target),
              std::string(row.targetExists ? "root's\n" : "") + "SND: own link\r\n")
        << row.what;
    log.Close();
    fs::remove(file);
    fs::remove(target);
  }
}

// The log made new is made as a file of its own: a link put in its place while the program
// runs is not followed when the log is made again, unless it is the user's own.
TEST(TrafficLog, ALinkPlantedWhileRunningIsNotFollowed) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "giving a link to another user needs root";
  }
  const CurrentTempDir dir;
  const auto file = fs::current_path() / "Test.log";
  const auto target = dir.path() / "elsewhere";
  TrafficLog log;
  log.Open();
  log.WriteLine("SND: one");
  fs::remove(file);
  fs::create_symlink(target, file);
  ASSERT_EQ(::lchown(file.c_str(), 65534, 65534), 0);
  EXPECT_EQ(IoCode([&] { log.WriteLine("SND: two"); }), 5);
  EXPECT_FALSE(fs::exists(target));
  fs::remove(file);
  log.WriteLine("SND: three");
  EXPECT_EQ(FileText(file), "SND: three\r\n");
}

}  // namespace
}  // namespace vidideza
