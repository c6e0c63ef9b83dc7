#include "unit_outcome.h"

#include <gtest/gtest.h>

#include "json_text.h"

using namespace qvxctl;

namespace {

const std::vector<UnitOutcome> kBatch = {
    {1, "00-20-4A-E0-2C-01", "198.51.100.11", Outcome::kDone, 2.04, "Succesfully set"},
    {2, "zz", "198.51.100.12", Outcome::kFieldError, 0, "Wrong MAC address"},
    {3, "00-20-4A-E0-2C-03", "198.51.100.13", Outcome::kNotFound, 11.05, "Timeout error"},
    {4, "00-20-4A-E0-2C-04", "198.51.100.14", Outcome::kLinkError, 0.01,
     "System Error.  Code: 10048.\r\nAddress, in use"},
    {5, "00-20-4A-E0-2C-05", "198.51.100.15", Outcome::kNotConfirmed, 20.0,
     "Timeout error: the unit took its setup record but did not confirm; check it"},
};

}  // namespace

TEST(UnitOutcomeTest, ReportHasOneRowPerUnit) {
  EXPECT_EQ(ReportCsv(kBatch),
            "row,mac,ip,outcome,seconds,message\r\n"
            "1,00-20-4A-E0-2C-01,198.51.100.11,set,2.0,Succesfully set\r\n"
            "2,zz,198.51.100.12,field error,0.0,Wrong MAC address\r\n"
            "3,00-20-4A-E0-2C-03,198.51.100.13,not found,11.1,Timeout error\r\n"
            "4,00-20-4A-E0-2C-04,198.51.100.14,link error,0.0,\"System Error.  Code: "
            "10048.\r\nAddress, in use\"\r\n"
            "5,00-20-4A-E0-2C-05,198.51.100.15,not confirmed,20.0,\"Timeout error: the unit took "
            "its setup record but did not confirm; check it\"\r\n");
  EXPECT_EQ(ReportCsv({}), "row,mac,ip,outcome,seconds,message\r\n");
}

TEST(UnitOutcomeTest, SummaryAndExitStatusTellTheGravestFailure) {
  EXPECT_EQ(ReportSummary(kBatch),
            "5 units: 1 set, 4 failed (row 2: Wrong MAC address; row 3: Timeout error; row 4: "
            "System Error.  Code: 10048.; row 5: Timeout error: the unit took its setup record but "
            "did not confirm; check it)");
  // A unit in doubt needs a visit: graver than any other failure.
  EXPECT_EQ(BatchExitStatus(kBatch), 4);
  EXPECT_EQ(BatchExitStatus({kBatch[0], kBatch[1], kBatch[2], kBatch[3]}), 3);
  const std::vector<UnitOutcome> timeoutAndField = {kBatch[1], kBatch[2], kBatch[0]};
  EXPECT_EQ(BatchExitStatus(timeoutAndField), 2);
  EXPECT_EQ(BatchExitStatus({kBatch[0], kBatch[1]}), 1);
  EXPECT_EQ(BatchExitStatus({kBatch[0]}), 0);
  EXPECT_EQ(ReportSummary({kBatch[0]}), "1 unit: 1 set, 0 failed");
}

TEST(UnitOutcomeTest, JsonCarriesEveryUnit) {
  EXPECT_EQ(ReportJson({kBatch[0], kBatch[3]}),
            "{\"units\": [\n"
            "  {\"row\": 1, \"mac\": \"00-20-4A-E0-2C-01\", \"ip\": \"198.51.100.11\", "
            "\"outcome\": \"set\", \"seconds\": 2.0, \"message\": \"Succesfully set\"},\n"
            "  {\"row\": 4, \"mac\": \"00-20-4A-E0-2C-04\", \"ip\": \"198.51.100.14\", "
            "\"outcome\": \"link error\", \"seconds\": 0.0, \"message\": \"System Error.  Code: "
            "10048.\\u000d\\u000aAddress, in use\"}\n"
            "], \"set\": 1, \"failed\": 1}");
  EXPECT_EQ(ReportJson({}), "{\"units\": [], \"set\": 0, \"failed\": 0}");
}

TEST(JsonTextTest, EscapesEverythingOutsidePrintableAscii) {
  EXPECT_EQ(JsonString("A000A,ON"), "\"A000A,ON\"");
  EXPECT_EQ(JsonString("say \"hi\" \\"), "\"say \\\"hi\\\" \\\\\"");
  EXPECT_EQ(JsonString(std::string("\x00\x1f\x7f\xe9", 4)), "\"\\u0000\\u001f\\u007f\\u00e9\"");
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("a;b"), "\"a;b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
}
