#include "batch_progress.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace qvxctl;

namespace {

CheckedUnit Unit(int row, const std::string& mac) {
  CheckedUnit unit;
  unit.row = row;
  unit.texts.mac = mac;
  return unit;
}

UnitOutcome Ended(int row, const std::string& mac, Outcome outcome, const std::string& message) {
  UnitOutcome ended;
  ended.row = row;
  ended.mac = mac;
  ended.outcome = outcome;
  ended.message = message;
  return ended;
}

}  // namespace

TEST(BatchProgressTest, OneUnitAtATimeGrowsItsCaptionAndTellsWhatElseWentWrong) {
  std::ostringstream err;
  {
    BatchProgress progress(err, BatchProgress::Style::kGrowing, 2);
    const CheckedUnit a = Unit(2, "M1");
    progress.Begun(a);
    progress.Status(a, "Wait .");
    progress.Status(a, "Wait ..x");
    progress.Status(a, "Succesfully set");
    progress.Ended(Ended(2, "M1", Outcome::kDone, "Succesfully set"));
    const CheckedUnit b = Unit(3, "M2");
    progress.Begun(b);
    progress.Status(b, "Wait .");
    progress.Status(b, "Timeout error");
    progress.Ended(Ended(3, "M2", Outcome::kNotConfirmed, "Timeout error: check it"));
  }
  EXPECT_EQ(err.str(),
            "row 2 (M1): Wait ..x\nrow 2 (M1): Succesfully set\n"
            "row 3 (M2): Wait .\nrow 3 (M2): Timeout error\nrow 3 (M2): Timeout error: check it\n");
}

TEST(BatchProgressTest, AUnitAloneHasNoRowPrefix) {
  std::ostringstream err;
  {
    BatchProgress progress(err, BatchProgress::Style::kGrowing, 1, false);
    const CheckedUnit a = Unit(0, "M1");
    progress.Begun(a);
    progress.Status(a, "Wait .");
    progress.Status(a, "Wait ..");
    progress.Ended(Ended(0, "M1", Outcome::kLinkError, "Address already in use."));
  }
  EXPECT_EQ(err.str(), "Wait ..\nAddress already in use.\n");
}

TEST(BatchProgressTest, UnitsInParallelGetALineEachAsTheyEndWithTheCount) {
  std::ostringstream err;
  BatchProgress progress(err, BatchProgress::Style::kEnded, 3);
  const CheckedUnit a = Unit(2, "M1");
  const CheckedUnit b = Unit(3, "M2");
  progress.Begun(a);
  progress.Begun(b);
  progress.Status(a, "Wait ..");
  progress.Status(b, "Wait ..x");
  EXPECT_EQ(err.str(), "");  // captions of units in flight would interleave
  progress.Ended(Ended(3, "M2", Outcome::kDone, "Succesfully set"));
  progress.Ended(Ended(2, "M1", Outcome::kNotFound, "Timeout error"));
  EXPECT_EQ(err.str(),
            "row 3 (M2): Succesfully set (1 of 3 ended)\n"
            "row 2 (M1): Timeout error (2 of 3 ended)\n");
}

TEST(BatchProgressTest, OnATerminalTheUnitsInFlightAreRedrawnUnderThoseEnded) {
  std::ostringstream err;
  {
    BatchProgress progress(err, BatchProgress::Style::kLive, 2);
    const CheckedUnit a = Unit(2, "M1");
    const CheckedUnit b = Unit(3, "M2");
    progress.Begun(a);  // drawn: row 2, the bar
    progress.Begun(b);  // within the same frame: not drawn
    progress.Ended(Ended(2, "M1", Outcome::kDone, "Succesfully set"));
  }
  const std::string bar0 = BatchProgress::Bar(0, 0, 2);
  const std::string bar1 = BatchProgress::Bar(1, 1, 2);
  EXPECT_EQ(err.str(), "row 2 (M1): \n" + bar0 + "\n" +                         // first frame
                           "\x1b[2F\x1b[J" + "row 2 (M1): Succesfully set\n" +  // ended
                           "row 3 (M2): \n" + bar1 + "\n" +                     // in flight
                           "\x1b[2F\x1b[J" + bar1 + "\n");                      // at the end
}

TEST(BatchProgressTest, TheBarFillsWithTheUnitsEnded) {
  EXPECT_EQ(BatchProgress::Bar(0, 0, 4),
            "[..............................] 0 of 4: 0 set, 0 failed");
  EXPECT_EQ(BatchProgress::Bar(2, 1, 4),
            "[###############...............] 2 of 4: 1 set, 1 failed");
  EXPECT_EQ(BatchProgress::Bar(4, 4, 4),
            "[##############################] 4 of 4: 4 set, 0 failed");
  EXPECT_EQ(BatchProgress::Bar(0, 0, 0),
            "[##############################] 0 of 0: 0 set, 0 failed");
}
