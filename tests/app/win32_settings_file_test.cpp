#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/settings_file.h"
#include "base/exception.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

namespace fs = std::filesystem;

TEST(Settings, AWriteProtectedFileIsRefusedAndLeftAsItWas) {
  const CurrentTempDir dir;
  const fs::path file = dir.path() / "VIDideza.ini";
  const std::string before = "[Serial]\r\nCOMPort=COM2\r\n";
  WriteFileText(file, before);
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const HANDLE probe =
      ::CreateFileA(file.string().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    ::CloseHandle(probe);
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    GTEST_SKIP() << "this user may write a read-only file (Wine run as root): nothing to refuse";
  }
  try {
    WriteSettings({"COM5", 1});
    ADD_FAILURE() << "write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.message()), "Unable to write to " + file.string());
  }
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(FileText(file), before);
}

}  // namespace
}  // namespace vidideza
