#include "app/ini_text.h"

#include <gtest/gtest.h>

namespace vidideza {
namespace {

constexpr const char* kForeign =
    "; written by the installer\r\n"
    "[Other]\r\n"
    "COMPort=keep me\r\n"
    "\r\n"
    "[serial]\r\n"
    "  comport =  COM4  \r\n"
    "Speed=9600\r\n"
    "\r\n"
    "[Network]\r\n"
    "CardNr=2\r\n";

TEST(IniRead, FindsKeysRegardlessOfCaseAndBlanks) {
  const struct {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } rows[] = {
      {"Serial", "COMPort", "COM4"},      {"SERIAL", "comport", "COM4"},
      {"Other", "COMPort", "keep me"},    {"Network", "CardNr", "2"},
      {"Serial", "CardNr", std::nullopt}, {"Missing", "Key", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IniRead(kForeign, row.section, row.key), row.value) << row.section << "/" << row.key;
  }
}

TEST(IniRead, ValueRulesOfTheProfileFunctions) {
  EXPECT_EQ(IniRead("[S]\nK=\"quoted value\"\n", "S", "K"), "quoted value");
  EXPECT_EQ(IniRead("[S]\nK='x'\n", "S", "K"), "x");
  EXPECT_EQ(IniRead("[S]\nK=\"half\n", "S", "K"), "\"half");
  EXPECT_EQ(IniRead("[S]\nK=\n", "S", "K"), "");
  EXPECT_EQ(IniRead("[S]\n;K=commented\n", "S", "K"), std::nullopt);
  EXPECT_EQ(IniRead("[S]\nK=a=b\n", "S", "K"), "a=b");
  EXPECT_EQ(IniRead("[S]\nK=first\n[S]\nK=second\n", "S", "K"), "first");
  EXPECT_EQ(IniRead("[S]\nK=last line without end", "S", "K"), "last line without end");
  // A last line cut after its carriage return reads as the same value once a line follows it.
  EXPECT_EQ(IniRead("[S]\nK=v\r", "S", "K"), "v");
  EXPECT_EQ(IniRead(IniWrite("[S]\nK=v\r", "T", "X", "1"), "S", "K"), "v");
  EXPECT_EQ(IniRead("[S]\nK=" + std::string(5000, 'v') + "\n", "S", "K")->size(), kMaxProfileValue);
}

TEST(IniWrite, ChangesOnlyTheKeyAndKeepsEverythingElse) {
  const std::string changed = IniWrite(kForeign, "Serial", "COMPort", "COM12");
  EXPECT_EQ(changed,
            "; written by the installer\r\n"
            "[Other]\r\n"
            "COMPort=keep me\r\n"
            "\r\n"
            "[serial]\r\n"
            "comport=COM12\r\n"
            "Speed=9600\r\n"
            "\r\n"
            "[Network]\r\n"
            "CardNr=2\r\n");
  EXPECT_EQ(IniRead(changed, "Serial", "COMPort"), "COM12");
}

TEST(IniWrite, AddsMissingKeysAndSections) {
  const struct {
    const char* what;
    const char* before;
    const char* section;
    const char* key;
    const char* after;
  } rows[] = {
      {"new file", "", "Serial", "COMPort", "[Serial]\r\nCOMPort=V\r\n"},
      {"key after the section's last entry", "[Serial]\nSpeed=1\n\n[Network]\nCardNr=0\n", "serial",
       "COMPort", "[Serial]\nSpeed=1\nCOMPort=V\n\n[Network]\nCardNr=0\n"},
      {"section at the end", "[A]\r\nx=1\r\n", "Network", "CardNr",
       "[A]\r\nx=1\r\n[Network]\r\nCardNr=V\r\n"},
      {"unterminated last line", "[A]\nx=1", "A", "y", "[A]\nx=1\ny=V\n"},
      {"unterminated last line, new section", "[A]\nx=1", "B", "y", "[A]\nx=1\n[B]\ny=V\n"},
      {"empty section at the end", "[A]\n", "A", "y", "[A]\ny=V\n"},
      {"comment lines stay after the entries", "[A]\nx=1\n; note\n[B]\n", "A", "y",
       "[A]\nx=1\ny=V\n; note\n[B]\n"},
  };
  for (const auto& row : rows) {
    const std::string after = IniWrite(row.before, row.section, row.key, "V");
    EXPECT_EQ(after, row.after) << row.what;
    EXPECT_EQ(IniRead(after, row.section, row.key), "V") << row.what;
  }
}

TEST(IniText, ALoneCarriageReturnEndsALine) {
  const std::string classicMac = "[Serial]\rCOMPort=/dev/ttyUSB0\r[Network]\rCardNr=1\r";
  EXPECT_EQ(IniRead(classicMac, "Serial", "COMPort"), "/dev/ttyUSB0");
  EXPECT_EQ(IniRead(classicMac, "Network", "CardNr"), "1");
  // Rewritten in place, no key added twice, and the file keeps its line ends.
  EXPECT_EQ(IniWrite(classicMac, "Serial", "COMPort", "COM3"),
            "[Serial]\rCOMPort=COM3\r[Network]\rCardNr=1\r");
  EXPECT_EQ(IniWrite(classicMac, "Network", "Speed", "9600"),
            "[Serial]\rCOMPort=/dev/ttyUSB0\r[Network]\rCardNr=1\rSpeed=9600\r");
  // Mixed ends are each kept; new lines take the first line's end.
  const std::string mixed = "[Serial]\r\nCOMPort=COM2\r[Network]\nCardNr=0";
  EXPECT_EQ(IniRead(mixed, "Serial", "COMPort"), "COM2");
  EXPECT_EQ(IniWrite(mixed, "Network", "CardNr", "3"),
            "[Serial]\r\nCOMPort=COM2\r[Network]\nCardNr=3\r\n");
  EXPECT_EQ(IniWrite(mixed, "A", "x", "1"),
            "[Serial]\r\nCOMPort=COM2\r[Network]\nCardNr=0\r\n[A]\r\nx=1\r\n");
}

// Only what changes is written: an unchanged value leaves the text byte for byte, whatever its
// line ends; a changed one ends only its own line.
TEST(IniWrite, AnUnchangedValueLeavesTheTextAsItIs) {
  const struct {
    const char* what;
    const char* text;
    const char* value;
  } rows[] = {
      {"unterminated last line", "[Serial]\r\nCOMPort=COM1\r\n[Network]\r\nCardNr=0", "0"},
      {"blanks and case kept", "[network]\n  cardnr =  0  ", "0"},
      {"quoted value", "[Network]\nCardNr=\"0\"\n", "0"},
      {"lone CR at the end", "[Network]\rCardNr=0\r", "0"},
      {"value typed with blanks", "[Network]\nCardNr=0", " 0\t"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IniWrite(row.text, "Network", "CardNr", row.value), row.text) << row.what;
  }
  EXPECT_EQ(IniWrite("[Network]\r\nCardNr=0\r\n; end", "Network", "CardNr", "1"),
            "[Network]\r\nCardNr=1\r\n; end");
  EXPECT_EQ(IniWrite("[Serial]\nCOMPort=COM1\n[Network]\nCardNr=0", "Serial", "COMPort", "COM2"),
            "[Serial]\nCOMPort=COM2\n[Network]\nCardNr=0");
}

}  // namespace
}  // namespace vidideza
