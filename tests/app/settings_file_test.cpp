#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/exception.h"
#include "small_tmpfs.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

namespace fs = std::filesystem;

TEST(Settings, MissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
  const CurrentTempDir dir;
  const Settings read = ReadSettings();
  EXPECT_EQ(read.comPort, "COM1");
  EXPECT_EQ(read.cardNr, 0);

  WriteSettings({"COM3", 0});
  EXPECT_EQ(FileText(dir.path() / "VIDideza.ini"),
            "[Serial]\r\nCOMPort=COM3\r\n[Network]\r\nCardNr=0\r\n");
}

TEST(Settings, RoundTripKeepsWhatOtherProgramsWrote) {
  const CurrentTempDir dir;
  const std::string foreign =
      "; site notes\n[Tool]\nOperator=J. Novak\n\n[SERIAL]\ncomport=\n# "
      "keep\n[Network]\nCardNr=$2\nOther=1\n";
  WriteFileText(dir.path() / "VIDideza.ini", foreign);
  ::chmod((dir.path() / "VIDideza.ini").c_str(), 0640);
  const Settings read = ReadSettings();
  EXPECT_EQ(read.comPort, "");
  EXPECT_EQ(read.cardNr, 2);

  WriteSettings({"COM12", read.cardNr});
  EXPECT_EQ(FileText(dir.path() / "VIDideza.ini"),
            "; site notes\n[Tool]\nOperator=J. Novak\n\n[SERIAL]\ncomport=COM12\n# keep\n"
            "[Network]\nCardNr=2\nOther=1\n");
  EXPECT_EQ(fs::status(dir.path() / "VIDideza.ini").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// A saved port name comes back as it was, except for what a profile file cannot hold: blanks
// around it and one pair of quotes are dropped on reading, as on Windows.
TEST(Settings, SavedPortNamesComeBackAsTheProfileRulesRead) {
  const struct {
    const char* saved;
    const char* readBack;
  } cases[] = {
      {"COM4", "COM4"},
      {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9X1-if00-port0",
       "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9X1-if00-port0"},
      {"COM 4", "COM 4"},
      {"a=b;c", "a=b;c"},
      {" COM4\t", "COM4"},
      {" = \"COM4", "= \"COM4"},
      {"\"COM4\"", "COM4"},
  };
  for (const auto& c : cases) {
    const CurrentTempDir dir;
    WriteSettings({c.saved, 3});
    const Settings read = ReadSettings();
    EXPECT_EQ(read.comPort, c.readBack) << c.saved;
    EXPECT_EQ(read.cardNr, 3) << c.saved;
  }
}

void ExpectRefused(const fs::path& file, const std::string& before) {
  try {
    WriteSettings({"COM5", 1});
    ADD_FAILURE() << "write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.message()), "Unable to write to " + file.string());
  }
  EXPECT_EQ(FileText(file), before);
}

TEST(Settings, WriteProtectedFileOrFolderIsRefusedAndLeftAsItWas) {
  const CurrentTempDir dir;
  const fs::path file = dir.path() / "VIDideza.ini";
  const std::string before = "[Serial]\nCOMPort=COM2\n";
  WriteFileText(file, before);

  ::chmod(file.c_str(), 0444);
  ExpectRefused(file, before);
  ::chmod(file.c_str(), 0644);

  ::chmod(dir.path().c_str(), 0555);
  ExpectRefused(file, before);
  ::chmod(dir.path().c_str(), 0755);
}

TEST(Settings, FullDiskLeavesTheOldFileWhole) {
  const CurrentTempDir dir;
  const SmallTmpfs disk(dir.path() / "disk", "size=8k");
  if (!disk.mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  fs::current_path(dir.path() / "disk");
  const fs::path file = dir.path() / "disk" / "VIDideza.ini";
  const std::string before = "[Serial]\nCOMPort=COM2\n";
  WriteFileText(file, before);
  // Fill the disk so the new copy cannot be written.
  WriteFileText(dir.path() / "disk" / "filler", std::string(64 * 1024, 'x'));
  ExpectRefused(file, before);
  fs::current_path(dir.path());
}

TEST(Settings, ASettingsFileThatIsALinkIsWrittenWhereItPointsAndStaysALink) {
  const CurrentTempDir dir;
  fs::create_directory(dir.path() / "shared");
  const fs::path target = dir.path() / "shared" / "site.ini";
  WriteFileText(target, "[Serial]\r\nCOMPort=COM2\r\n");
  fs::create_symlink("shared/site.ini", dir.path() / "VIDideza.ini");
  // A link to a link, as well.
  fs::create_symlink("VIDideza.ini", dir.path() / "again.ini");

  WriteSettings({"COM4", 0});
  EXPECT_TRUE(fs::is_symlink(dir.path() / "VIDideza.ini"));
  EXPECT_EQ(FileText(target), "[Serial]\r\nCOMPort=COM4\r\n[Network]\r\nCardNr=0\r\n");
  // No temporary file is left in either folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "shared"), fs::directory_iterator()),
            1);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

TEST(Settings, AWriteKeepsTheFilesOwnerGroupAndMode) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "giving a file to another user needs root";
  }
  const CurrentTempDir dir;
  const fs::path file = dir.path() / "VIDideza.ini";
  WriteFileText(file, "[Serial]\r\nCOMPort=COM2\r\n");
  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0660), 0);

  WriteSettings({"COM4", 0});
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNobody);
  EXPECT_EQ(st.st_mode & 07777, 0660U);
  EXPECT_EQ(FileText(file), "[Serial]\r\nCOMPort=COM4\r\n[Network]\r\nCardNr=0\r\n");
}

TEST(Settings, ASettingsFileThatIsNotARegularFileReadsEmptyAndIsNotWritten) {
  const CurrentTempDir dir;
  const fs::path file = dir.path() / "VIDideza.ini";
  ASSERT_EQ(::mkfifo(file.c_str(), 0666), 0);
  const Settings read = ReadSettings();  // no reader waits on the FIFO
  EXPECT_EQ(read.comPort, "COM1");
  EXPECT_EQ(read.cardNr, 0);
  try {
    WriteSettings({"COM5", 1});
    ADD_FAILURE() << "write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.message()), "Unable to write to " + file.string());
  }
  EXPECT_TRUE(fs::is_fifo(file));
}

TEST(Settings, AFolderGoneByShutdownIsNamedAsItWasAtStartUp) {
  const CurrentTempDir dir;
  fs::create_directory(dir.path() / "site");
  fs::current_path(dir.path() / "site");
  const std::string startFolder = fs::current_path().string();
  fs::remove(dir.path() / "site");
  try {
    WriteSettings({"COM5", 1}, startFolder);
    ADD_FAILURE() << "write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.message()), "Unable to write to " + startFolder + "/VIDideza.ini");
  }
  fs::current_path(dir.path());
}

// Shutdown writes both values every time: a file whose values stay is left alone, down to its
// inode and its last line without a line end.
TEST(Settings, AnUnchangedFileIsLeftByteForByte) {
  const CurrentTempDir dir;
  const fs::path file = dir.path() / "VIDideza.ini";
  const std::string before = "[Serial]\r\nCOMPort=COM3\r\n[Network]\r\nCardNr=1";
  WriteFileText(file, before);
  struct stat was {};
  ASSERT_EQ(::stat(file.c_str(), &was), 0);
  WriteSettings({"COM3", 1});
  EXPECT_EQ(FileText(file), before);
  struct stat is {};
  ASSERT_EQ(::stat(file.c_str(), &is), 0);
  EXPECT_EQ(is.st_ino, was.st_ino);

  WriteSettings({"COM4", 1});
  EXPECT_EQ(FileText(file), "[Serial]\r\nCOMPort=COM4\r\n[Network]\r\nCardNr=1");
  // Unchanged values in a write-protected file still tell that nothing could be saved there.
  ::chmod(file.c_str(), 0444);
  try {
    WriteSettings({"COM4", 1});
    ADD_FAILURE() << "write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.message()), "Unable to write to " + file.string());
  }
}

// Run as root in a folder another user may write, a link that user planted is not followed,
// for reading or writing; links of the program's own user still are.
TEST(Settings, AnotherUsersLinkIsNotFollowed) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "giving a link to another user needs root";
  }
  const CurrentTempDir dir;
  constexpr uid_t kNobody = 65534;
  const fs::path target = dir.path() / "root-only.ini";
  const std::string secret = "[Serial]\r\nCOMPort=COM7\r\n";
  WriteFileText(target, secret);
  const fs::path link = dir.path() / "VIDideza.ini";
  fs::create_symlink(target, link);
  ASSERT_EQ(::lchown(link.c_str(), kNobody, kNobody), 0);

  EXPECT_EQ(ReadSettings().comPort, "COM1");
  try {
    WriteSettings({"COM5", 1});
    ADD_FAILURE() << "write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.message()), "Unable to write to " + link.string());
  }
  EXPECT_EQ(FileText(target), secret);
  EXPECT_TRUE(fs::is_symlink(link));

  // The same link of root's own is followed.
  ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
  EXPECT_EQ(ReadSettings().comPort, "COM7");
  WriteSettings({"COM5", 1});
  EXPECT_EQ(FileText(target), "[Serial]\r\nCOMPort=COM5\r\n[Network]\r\nCardNr=1\r\n");
}

}  // namespace
}  // namespace vidideza
