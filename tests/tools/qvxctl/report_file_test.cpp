#include "report_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "failures.h"
#include "test_temp_dir.h"
#include "unit_table.h"

using namespace qvxctl;

namespace {

UnitOutcome Unit(int row, Outcome outcome, const char* message) {
  return {row,
          "00-20-4A-E0-2C-0" + std::to_string(row),
          "198.51.100.1" + std::to_string(row),
          outcome,
          2.04,
          message};
}

}  // namespace

// Each row is in the partial report as soon as its unit ended; the report takes its name when
// the batch ends, and an earlier report stays until then.
TEST(ReportFileTest, RowsGoToThePartialReportAsTheyEndAndTheReportAppearsWhole) {
  const vidideza::CurrentTempDir dir;
  vidideza::WriteFileText("report.csv", "an earlier batch's report\r\n");
  ReportFile report("report.csv");
  const std::string partial = ReportFile::PartialPath("report.csv");
  EXPECT_EQ(vidideza::FileText(partial), ReportCsvHeader());
  const UnitOutcome first = Unit(2, Outcome::kDone, "Succesfully set");
  const UnitOutcome second = Unit(3, Outcome::kNotFound, "Timeout error");
  report.Add(first);
  EXPECT_EQ(vidideza::FileText(partial), ReportCsv({first}));
  report.Add(second);
  EXPECT_EQ(vidideza::FileText(partial), ReportCsv({first, second}));
  EXPECT_EQ(vidideza::FileText("report.csv"), "an earlier batch's report\r\n");
  report.Finish();
  EXPECT_EQ(vidideza::FileText("report.csv"), ReportCsv({first, second}));
  EXPECT_FALSE(std::filesystem::exists(partial));

  EXPECT_THROW(ReportFile("no/such/folder/report.csv"), FileFailure);
  ReportFile none("");  // no --report: nothing is written
  none.Add(first);
  none.Finish();
}

// A building's table of 200,000 rows is read, and its report written row by row, in a time
// that grows with the rows, not with their square.
TEST(ReportFileTest, ABuildingOf200000RowsIsReadAndReportedInSeconds) {
  const vidideza::CurrentTempDir dir;
  std::string table = "mac,ip\n";
  for (int i = 0; i < 200000; ++i) {
    table += "00-20-4A-E0-2C-BE,198.51." + std::to_string(i / 250) + "." +
             std::to_string(i % 250 + 1) + "\n";
  }
  const auto start = std::chrono::steady_clock::now();
  const auto units = ReadUnitTable(table, {"255.255.0.0", "", "198.51.0.1", "10100"});
  ReportFile report("report.csv");
  for (const UnitRow& unit : units) {
    report.Add(
        {unit.row, unit.texts.mac, unit.texts.unitIp, Outcome::kNotFound, 11.0, "Timeout error"});
  }
  report.Finish();
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(units.size(), 200000U);
  EXPECT_EQ(units.back().row, 200001);
  EXPECT_LT(took,
            std::chrono::seconds(10));  // ~1 s on the plain build, several under the sanitizers
  RecordProperty("seconds", std::to_string(std::chrono::duration<double>(took).count()));
}
