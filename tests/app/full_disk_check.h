#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/io_error.h"
#include "app/traffic_log.h"
#include "test_temp_dir.h"

namespace vidideza {

// The code of the EInOutError that action raises, or 0.
inline int IoCode(const std::function<void()>& action) {
  try {
    action();
  } catch (const EInOutError& e) {
    return e.code();
  }
  return 0;
}

// Makes a small empty disk (16 KiB) the current directory and fills it through the log: the log
// reports 112, holds whole lines only, stays open and writes again once space returns.
inline void CheckFullDiskLog(const std::filesystem::path& disk) {
  namespace fs = std::filesystem;
  fs::current_path(disk);
  WriteFileText(disk / "filler", std::string(8 * 1024, 'x'));
  TrafficLog log;
  log.Open();
  const std::string line = "RCV: " + std::string(95, 'r');  // 102 bytes with CR LF
  int code = 0;
  int written = 0;
  while (code == 0 && written < 1000) {
    code = IoCode([&] { log.WriteLine(line); });
    written += code == 0 ? 1 : 0;
  }
  EXPECT_EQ(code, 112);
  EXPECT_TRUE(log.IsOpen());
  EXPECT_EQ(fs::file_size(disk / "Test.log"), written * (line.size() + 2));

  fs::remove(disk / "filler");
  EXPECT_NO_THROW(log.WriteLine("SND: after"));
  log.Close();
  const std::string text = FileText(disk / "Test.log");
  EXPECT_EQ(text.substr(text.size() - 12), "SND: after\r\n");
}

}  // namespace vidideza
