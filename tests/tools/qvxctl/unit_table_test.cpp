#include "unit_table.h"

#include <gtest/gtest.h>

#include "failures.h"

using namespace qvxctl;

TEST(CsvTest, ReadsFieldsAsSpreadsheetsWriteThem) {
  using Rows = std::vector<CsvRow>;
  const struct {
    std::string text;
    Rows rows;
  } cases[] = {
      {"a,b\r\n1,2\r\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
      {"a,b\n1,2", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
      {"\xEF\xBB\xBF"
       "a\n1\n",
       {{1, {"a"}}, {2, {"1"}}}},
      {"a,b\n\n ,\n1,\n", {{1, {"a", "b"}}, {4, {"1", ""}}}},
      {"a,b\n\"x,\"\"y\"\"\nz\",2\n3,4\n",
       {{1, {"a", "b"}}, {2, {"x,\"y\"\nz", "2"}}, {4, {"3", "4"}}}},
      {"a;b\n1,5;2\n", {{1, {"a", "b"}}, {2, {"1,5", "2"}}}},
      {"a,b;c\n1;2,3\n", {{1, {"a", "b;c"}}, {2, {"1;2", "3"}}}},
      // Comments, before the header too, where the separator is looked for after them.
      {"# units; floor 2\r\na;b\n#x,y\n1;2\n # not one\n",
       {{2, {"a", "b"}}, {4, {"1", "2"}}, {5, {" # not one"}}}},
      {"a\n\"#1\n#2\"\n", {{1, {"a"}}, {2, {"#1\n#2"}}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadCsv(c.text), c.rows) << c.text;
  }
  EXPECT_THROW(ReadCsv("a\n\"open\n"), UsageError);
}

TEST(UnitTableTest, ColumnsByNameAndEmptyFieldsFromTheDefaults) {
  const FieldDefaults defaults{"255.255.255.0", "198.51.100.254", "198.51.100.1", "10100"};
  const auto units = ReadUnitTable(
      " IP ,MAC,server-port,Mask\n"
      "198.51.100.11,00-20-4A-E0-2C-01,,\n"
      "198.51.100.12 , 00-20-4A-E0-2C-02 ,10200,255.255.0.0\n"
      "# the third floor\n"
      "\n"
      "198.51.100.13\n",
      defaults);
  ASSERT_EQ(units.size(), 3U);
  // A unit's row is the line of the file it stands on, as an editor shows it.
  EXPECT_EQ(units[0].row, 2);
  EXPECT_EQ(units[0].texts.unitIp, "198.51.100.11");
  EXPECT_EQ(units[0].texts.mac, "00-20-4A-E0-2C-01");
  EXPECT_EQ(units[0].texts.serverPort, "10100");
  EXPECT_EQ(units[0].texts.mask, "255.255.255.0");
  EXPECT_EQ(units[0].texts.gateway, "198.51.100.254");
  EXPECT_EQ(units[0].texts.serverIp, "198.51.100.1");
  EXPECT_EQ(units[1].texts.mac, "00-20-4A-E0-2C-02");
  EXPECT_EQ(units[1].texts.serverPort, "10200");
  EXPECT_EQ(units[1].texts.mask, "255.255.0.0");
  // A short row leaves its MAC empty: the field check tells "Wrong MAC address" for that unit.
  EXPECT_EQ(units[2].row, 6);
  EXPECT_EQ(units[2].texts.mac, "");
}

TEST(UnitTableTest, RefusesATableItCannotReadRightly) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "unit table: empty (a header row and one row per unit are needed)"},
      {"mac\n1\n", "unit table: the header has no \"ip\" column"},
      {"mac,ip,port\n",
       "unit table: unknown column \"port\" (the columns are mac, ip, mask, "
       "gateway, server-ip, server-port)"},
      {"mac,ip,MAC\n", "unit table: column \"mac\" named twice"},
      {"mac,ip\n1,2,3\n", "unit table: line 2 has more fields than the header names"},
  };
  for (const auto& c : cases) {
    try {
      ReadUnitTable(c.text, {});
      ADD_FAILURE() << c.text;
    } catch (const UsageError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
}
