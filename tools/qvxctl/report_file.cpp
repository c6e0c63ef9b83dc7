#include "report_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "failures.h"

namespace qvxctl {

ReportFile::ReportFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) {
    return;
  }
  file_.open(PartialPath(path_), std::ios::binary | std::ios::trunc);
  if (!file_.is_open()) {
    throw FileFailure("qvxctl batch: cannot write the report " + PartialPath(path_));
  }
  Write(ReportCsvHeader());
}

void ReportFile::Add(const UnitOutcome& unit) {
  if (!path_.empty()) {
    Write(ReportCsvRow(unit));
  }
}

void ReportFile::Finish() {
  if (path_.empty() || !file_.is_open()) {
    return;
  }
  file_.close();
  std::error_code error;
  std::filesystem::rename(PartialPath(path_), path_, error);
  if (error) {
    throw FileFailure("qvxctl batch: cannot put the report in place as " + path_ + ": " +
                      error.message() + " (it is in " + PartialPath(path_) + ")");
  }
}

void ReportFile::Write(const std::string& text) {
  file_ << text;
  file_.flush();  // a row ended is on the disk before the next unit begins
  if (!file_) {
    throw FileFailure("qvxctl batch: cannot write the report " + PartialPath(path_));
  }
}

}  // namespace qvxctl
