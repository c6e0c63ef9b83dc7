#include "dry_run.h"

#include <gtest/gtest.h>

using namespace qvxctl;

namespace {

std::vector<CheckedUnit> OneUnit() {
  const UnitRow row{4,
                    {"00-20-4A-E0-2C-BE", "192.168.1.100", "192.168.1.10", "255.255.255.0",
                     "192.168.1.254", "10100"}};
  return CheckUnitTable({row}).units;
}

}  // namespace

TEST(DryRunTest, TellsTheSettingsAndThePacketsThatDifferFromUnitToUnit) {
  const std::string text = DryRunText(OneUnit());
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "row 4 (00-20-4A-E0-2C-BE): 192.168.1.10, mask 255.255.255.0, gateway 192.168.1.254, "
            "server 192.168.1.100:10100");
  EXPECT_NE(text.find("  to 255.255.255.255: address announcement "
                      "000000FC49502D53455455500000"
                      "2CBEC0A8010A\n"),
            std::string::npos);
  EXPECT_NE(text.find("  to 192.168.1.10: setup record 000100FAC0A8010A0000082D"),
            std::string::npos);
  EXPECT_NE(text.find("1 unit checked; nothing was sent\n"), std::string::npos);
}

TEST(DryRunTest, JsonCarriesTheSetupRecordWhole) {
  const std::string json = DryRunJson(OneUnit(), {"rows 2 and 3: \"alike\""});
  const std::string record = "000100FAC0A8010A0000082D";
  const auto at = json.find("\"setup_record\": \"" + record);
  ASSERT_NE(at, std::string::npos) << json;
  // 124 bytes, two digits each, between the quotes.
  const auto start = json.find('"', at + 15) + 1;
  EXPECT_EQ(json.find('"', start) - start, 248U);
  EXPECT_NE(json.find("\"warnings\": [\"rows 2 and 3: \\\"alike\\\"\"]}"), std::string::npos);
}

TEST(DryRunTest, HexTextIsUpperCasePairs) {
  EXPECT_EQ(HexText(std::string("\x00\x0f\xa0\xff", 4)), "000FA0FF");
  EXPECT_EQ(HexText(""), "");
}
