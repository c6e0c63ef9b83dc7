#include "app/error_box_text.h"

#include <gtest/gtest.h>

#include "base/exception.h"

namespace vidideza {
namespace {

TEST(ErrorBoxText, AppendsPeriodOnlyAfterCharactersThatSortAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } rows[] = {
      {"I/O error 105", "I/O error 105."},
      {"File not found", "File not found."},
      {"Timeout", "Timeout."},
      {"Host not found.", "Host not found."},
      {"List index out of bounds (1)", "List index out of bounds (1)"},
      {"ends with a comma,", "ends with a comma,"},
      {"ends with a slash/", "ends with a slash/."},
      {"", ""},
      {"\xE9", "\xE9."},  // bytes above 127 sort after "."
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ErrorBoxText(row.message), row.shown) << row.message;
  }
}

TEST(ErrorBoxText, SilentAbortShowsNothing) {
  EXPECT_FALSE(ErrorBoxTextFor(std::make_exception_ptr(EAbort())).has_value());
  EXPECT_EQ(ErrorBoxTextFor(std::make_exception_ptr(Exception("Unable to write to /x"))),
            "Unable to write to /x.");
}

TEST(ApplicationTitle, IsFileNameUpToFirstDotWithLaterLettersLowered) {
  const struct {
    const char* file;
    const char* title;
  } rows[] = {
      {"SERVICE.EXE", "Service"},
      {"VIDideza", "Vidideza"},
      {"VIDideza.exe", "Vidideza"},
      {"/opt/x/VIDideza", "Vidideza"},
      {"C:\\Tools\\QVX.TOOL.EXE", "Qvx"},
      {"a", "a"},
      {"vIDIDEZA",
       "vididez"
       "a"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ApplicationTitle(row.file), row.title) << row.file;
  }
}

}  // namespace
}  // namespace vidideza
