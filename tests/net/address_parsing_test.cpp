#include "net/address_parsing.h"

#include <gtest/gtest.h>

#include "net/net_unit_settings.h"

namespace vidideza {
namespace {

using Parts = std::vector<std::string>;
using Bytes4 = std::array<std::uint8_t, 4>;

TEST(Split, BlanksAndDelimitersSeparateParts) {
  const struct {
    char delimiter;
    const char* text;
    Parts parts;
  } rows[] = {
      {'.', "192.168.1.10", {"192", "168", "1", "10"}},
      {'.', "  192 . 168 .1. 10  ", {"192", "168", "1", "10"}},
      {'.', "192 168 1 10", {"192", "168", "1", "10"}},
      {'.', "192.168..10", {"192", "168", "", "10"}},
      {'.', ".1", {"", "1"}},
      {'.', "1.", {"1", ""}},
      {'.', "1. ", {"1"}},
      {'.', "", {}},
      {'.', "   ", {}},
      {'-', "00-20-4A", {"00", "20", "4A"}},
      {'-', "00:20:4A", {"00:20:4A"}},
      {'.', "\"a b\".c", {"a b", "c"}},
      {'.', "\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {'.', "\"unclosed rest", {"unclosed rest"}},
      {'.', "\t1\r.\n2", {"1", "2"}},
  };
  // A NUL byte ends the text (scanning used to stop at it forever).
  EXPECT_EQ(Split('$', std::string_view("F\0\0FF", 5)), Parts{"F"});
  EXPECT_EQ(Split('.', std::string_view("1.2\0.3", 5)), (Parts{"1", "2"}));
  for (const auto& row : rows) {
    EXPECT_EQ(Split(row.delimiter, row.text), row.parts) << '"' << row.text << '"';
  }
}

TEST(ParseDottedAddress, FourPartsLowEightBitsEach) {
  const struct {
    const char* text;
    std::optional<Bytes4> bytes;
  } rows[] = {
      {"192.168.1.10", Bytes4{0xC0, 0xA8, 0x01, 0x0A}},
      {" 192 . 168 . 1 . 10 ", Bytes4{0xC0, 0xA8, 0x01, 0x0A}},
      {"192 168 1 10", Bytes4{0xC0, 0xA8, 0x01, 0x0A}},
      {"192.168.1.10.99", Bytes4{0xC0, 0xA8, 0x01, 0x0A}},
      {"300.-1.$C0.0x0A", Bytes4{44, 255, 192, 10}},
      {"192.168.1", std::nullopt},
      {"192.168..10", std::nullopt},
      {"192.168.1.x", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& row : rows) {
    Bytes4 bytes{};
    const bool ok = ParseDottedAddress(row.text, bytes);
    EXPECT_EQ(ok, row.bytes.has_value()) << row.text;
    if (row.bytes) {
      EXPECT_EQ(bytes, *row.bytes) << row.text;
    }
  }
}

TEST(ParseMacAddress, SixHexadecimalParts) {
  using Bytes6 = std::array<std::uint8_t, 6>;
  const Bytes6 unit{0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE};
  const struct {
    const char* text;
    std::optional<Bytes6> bytes;
  } rows[] = {
      {"00-20-4A-E0-2C-BE", unit},         {"0-20-4a-e0-2c-be", unit},
      {"00-20-4A-E0-2C-BE-77", unit},      {"1FF-0-0-0-0-0", Bytes6{0xFF, 0, 0, 0, 0, 0}},
      {"00-20-4A-E0-2C", std::nullopt},    {"00:20:4A:E0:2C:BE", std::nullopt},
      {"00-20-4G-E0-2C-BE", std::nullopt}, {"00-20-$4A-E0-2C-BE", std::nullopt},
  };
  for (const auto& row : rows) {
    Bytes6 bytes{};
    EXPECT_EQ(ParseMacAddress(row.text, bytes), row.bytes.has_value()) << row.text;
    if (row.bytes) {
      EXPECT_EQ(bytes, *row.bytes) << row.text;
    }
  }
}

TEST(ParseDottedAddress, BytesConvertedBeforeAFailureStay) {
  Bytes4 bytes{9, 9, 9, 9};
  EXPECT_FALSE(ParseDottedAddress("10.20.x.40", bytes));
  EXPECT_EQ(bytes, (Bytes4{10, 20, 9, 9}));
}

TEST(MaskToHostBits, OnlyRunsOfLeadingOnes) {
  const struct {
    Bytes4 mask;
    std::optional<std::int32_t> hostBits;
  } rows[] = {
      {{255, 255, 255, 0}, 8},
      {{255, 255, 255, 255}, 0},
      {{128, 0, 0, 0}, 31},
      {{255, 255, 254, 0}, 9},
      {{255, 0, 0, 0}, 24},
      {{255, 255, 255, 254}, 1},
      {{0, 0, 0, 0}, std::nullopt},
      {{255, 0, 255, 0}, std::nullopt},
      {{255, 255, 1, 0}, std::nullopt},
      {{255, 255, 255, 1}, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MaskToHostBits(row.mask), row.hostBits)
        << int(row.mask[0]) << "." << int(row.mask[1]) << "." << int(row.mask[2]) << "."
        << int(row.mask[3]);
  }
}

TEST(TrimmedText, DropsCodesUpToBlankAtBothEnds) {
  EXPECT_EQ(TrimmedText(" \t192.168.1.10 \r\n"), "192.168.1.10");
  EXPECT_EQ(TrimmedText(std::string_view("\0x\0", 3)), "x");
  EXPECT_EQ(TrimmedText("   "), "");
}

NetFieldTexts Defaults() {
  return {"00-20-4A-E0-2C-BE", "192.168.1.100", "192.168.1.10",
          "255.255.255.0",     "192.168.1.254", "10100"};
}

TEST(CheckNetFields, FirstBadFieldNamesItselfInOrder) {
  const struct {
    const char* what;
    void (*change)(NetFieldTexts&);
    std::optional<std::string> notice;
  } rows[] = {
      {"all good", [](NetFieldTexts&) {}, std::nullopt},
      {"mac", [](NetFieldTexts& t) { t.mac = "00-20"; }, "Wrong MAC address"},
      {"server ip", [](NetFieldTexts& t) { t.serverIp = "1.2.3"; }, "Wrong Server IP"},
      {"unit ip", [](NetFieldTexts& t) { t.unitIp = "a.b.c.d"; }, "Wrong IP address"},
      {"mask text", [](NetFieldTexts& t) { t.mask = "255.255"; }, "Wrong Mask"},
      {"mask shape", [](NetFieldTexts& t) { t.mask = "255.0.255.0"; }, "Wrong Mask"},
      {"zero mask", [](NetFieldTexts& t) { t.mask = "0.0.0.0"; }, "Wrong Mask"},
      {"gateway", [](NetFieldTexts& t) { t.gateway = ""; }, "Wrong Gateway address"},
      {"port high", [](NetFieldTexts& t) { t.serverPort = "65536"; }, "Wrong Server port"},
      {"port negative", [](NetFieldTexts& t) { t.serverPort = "-1"; }, "Wrong Server port"},
      {"port trailing blank", [](NetFieldTexts& t) { t.serverPort = "10100 "; },
       "Wrong Server port"},
      {"port leading blank", [](NetFieldTexts& t) { t.serverPort = " 10100"; }, std::nullopt},
      {"port zero", [](NetFieldTexts& t) { t.serverPort = "0"; }, std::nullopt},
      {"port hex", [](NetFieldTexts& t) { t.serverPort = "$2774"; }, std::nullopt},
      {"two bad: first wins",
       [](NetFieldTexts& t) {
         t.mac = "x";
         t.gateway = "y";
       },
       "Wrong MAC address"},
  };
  for (const auto& row : rows) {
    NetFieldTexts texts = Defaults();
    row.change(texts);
    NetUnitSettings settings;
    EXPECT_EQ(CheckNetFields(texts, settings), row.notice) << row.what;
  }
}

TEST(CheckNetFields, FieldsCheckedBeforeTheFailureKeepTheirNewValues) {
  NetFieldTexts texts = Defaults();
  texts.mask = "255.255.1.0";
  NetUnitSettings settings;
  EXPECT_EQ(CheckNetFields(texts, settings), "Wrong Mask");
  EXPECT_EQ(settings.UnitMac, (std::array<std::uint8_t, 6>{0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE}));
  EXPECT_EQ(settings.ServerIp, (Bytes4{192, 168, 1, 100}));
  EXPECT_EQ(settings.UnitIp, (Bytes4{192, 168, 1, 10}));
  EXPECT_EQ(settings.SubnetMask, (Bytes4{255, 255, 1, 0}));
  EXPECT_EQ(settings.Gateway, (Bytes4{0, 0, 0, 0}));

  texts = Defaults();
  EXPECT_EQ(CheckNetFields(texts, settings), std::nullopt);
  EXPECT_EQ(settings.HostBits, 8);
  EXPECT_EQ(settings.Gateway, (Bytes4{192, 168, 1, 254}));
  EXPECT_EQ(settings.ServerPort, 10100);
}

}  // namespace
}  // namespace vidideza
