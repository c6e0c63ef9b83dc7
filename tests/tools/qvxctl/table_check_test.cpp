#include "table_check.h"

#include <gtest/gtest.h>

using namespace qvxctl;

namespace {

UnitRow Row(int row, std::string mac, std::string ip, std::string mask = "255.255.255.0") {
  return {
      row,
      {std::move(mac), "198.51.100.1", std::move(ip), std::move(mask), "198.51.100.254", "10100"}};
}

}  // namespace

TEST(TableCheckTest, TellsEveryFaultOfTheTableWithItsRows) {
  const struct {
    const char* name;
    std::vector<UnitRow> rows;
    std::vector<std::string> problems;
    std::vector<std::string> warnings;
    std::size_t usable;
  } cases[] = {
      {"clean",
       {Row(2, "00-20-4A-E0-2C-BE", "198.51.100.10"), Row(3, "00-20-4A-E0-2C-BF", "198.51.100.11")},
       {},
       {},
       2},
      {"the page's notices, with the row",
       {Row(2, "00-20-4A-E0-2C", "198.51.100.10"),
        Row(4, "00-20-4A-E0-2C-BF", "198.51.100.11", "255.0.255.0"),
        Row(5, "00-20-4A-E0-2C-C0", "198.51.100.300")},
       {"row 2: Wrong MAC address", "row 4: Wrong Mask",
        "row 5: Wrong IP address (198.51.100.300: a part above 255)"},
       {},
       0},
      {"a MAC twice, in another spelling",
       {Row(2, "00-20-4A-E0-2C-BE", "198.51.100.10"), Row(7, "00-20-4a-e0-2c-be", "198.51.100.11")},
       {"rows 2 and 7: the same MAC 00-20-4A-E0-2C-BE"},
       {},
       2},
      {"an address twice, written with leading zeros",
       {Row(2, "00-20-4A-E0-2C-BE", "198.51.100.10"),
        Row(3, "00-20-4A-E0-2C-BF", "198.051.100.010")},
       {"rows 2 and 3: the same IP address 198.51.100.10"},
       {},
       2},
      {"MACs ending alike: a warning, the table still good",
       {Row(2, "00-20-4A-E0-2C-BE", "198.51.100.10"), Row(3, "00-20-4A-E1-2C-BE", "198.51.100.11"),
        Row(4, "00-20-4A-E2-2C-BE", "198.51.100.12")},
       {},
       {"rows 2 and 3: MACs end in the same two bytes (2C-BE), which the address announcement "
        "carries alone; they are set one after the other",
        "rows 2 and 4: MACs end in the same two bytes (2C-BE), which the address announcement "
        "carries alone; they are set one after the other"},
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TableCheck check = CheckUnitTable(c.rows);
    EXPECT_EQ(check.problems, c.problems);
    EXPECT_EQ(check.warnings, c.warnings);
    EXPECT_EQ(check.units.size(), c.usable);
  }
}

TEST(TableCheckTest, AUsableRowCarriesItsValuesAndTheAddressAsUnitsAnswerFromIt) {
  const TableCheck check = CheckUnitTable({Row(9, " 00-20-4a-e0-2c-be", "198.051.100.010")});
  ASSERT_EQ(check.units.size(), 1U);
  const CheckedUnit& unit = check.units.front();
  EXPECT_EQ(unit.row, 9);
  EXPECT_EQ(unit.unitIp, "198.51.100.10");
  EXPECT_EQ(MacText(unit.settings), "00-20-4A-E0-2C-BE");
  EXPECT_EQ(unit.settings.HostBits, 8);
  EXPECT_EQ(unit.settings.ServerPort, 10100);
}
