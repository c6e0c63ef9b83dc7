#pragma once

#include <fstream>
#include <string>

#include "unit_outcome.h"

namespace qvxctl {

// A batch's report as the batch goes: each unit's row is appended, as it ends, to PATH.partial,
// which becomes PATH when the batch ends. A batch cut short leaves the rows that ended in
// PATH.partial, every one whole; a report an earlier batch left at PATH stays until then.
// Writing costs the same for each row, however long the table.
class ReportFile {
 public:
  // An empty path: no report. Raises FileFailure where the report cannot be made, before any
  // unit is set.
  explicit ReportFile(std::string path);
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Raise FileFailure where the disk does not take it.
  void Add(const UnitOutcome& unit);
  void Finish();

  static std::string PartialPath(const std::string& path) { return path + ".partial"; }

 private:
  void Write(const std::string& text);

  std::string path_;
  std::ofstream file_;
};

}  // namespace qvxctl
