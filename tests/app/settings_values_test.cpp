#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/settings_file.h"
#include "test_temp_dir.h"

namespace vidideza {
namespace {

TEST(Settings, CardNrConversion) {
  const struct {
    const char* text;
    std::int32_t cardNr;
  } rows[] = {
      {"1", 1},          {"0x1", 1},        {"$1", 1},         {"X1", 1},  {"0XA", 10},
      {"-1", -1},        {"+2", 2},         {"1a", 0},         {"", 0},    {"abc", 0},
      {"$FFFFFFFF", -1}, {"4294967296", 0}, {"$123456789", 0}, {" 3 ", 3},  // blanks around a value
                                                                            // vanish
  };
  const CurrentTempDir dir;
  for (const auto& row : rows) {
    WriteFileText(dir.path() / "VIDideza.ini", std::string("[Network]\nCardNr=") + row.text + "\n");
    EXPECT_EQ(ReadSettings().cardNr, row.cardNr) << '"' << row.text << '"';
  }
}

TEST(Settings, ValuesComeBackAndWhatOtherProgramsWroteStays) {
  const CurrentTempDir dir;
  WriteFileText(dir.path() / "VIDideza.ini", "[Tool]\r\nOperator=J. Novak\r\n");
  WriteSettings({"COM12", 3});
  const Settings read = ReadSettings();
  EXPECT_EQ(read.comPort, "COM12");
  EXPECT_EQ(read.cardNr, 3);
  const std::string text = FileText(dir.path() / "VIDideza.ini");
  EXPECT_NE(text.find("Operator=J. Novak"), std::string::npos) << text;
  EXPECT_NE(text.find("COMPort=COM12"), std::string::npos) << text;
}

TEST(Settings, AValueComesBackCutTo2047Characters) {
  const CurrentTempDir dir;
  WriteFileText(dir.path() / "VIDideza.ini",
                "[Serial]\r\nCOMPort=" + std::string(3000, 'C') + "\r\n");
  EXPECT_EQ(ReadSettings().comPort, std::string(2047, 'C'));
}

}  // namespace
}  // namespace vidideza
