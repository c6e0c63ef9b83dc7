#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "unit_commands.h"

namespace qvxsim {

struct Options {
  bool net = false;
  std::string link = "./qvx-rs.tty";
  std::string logPath;
  std::string reportPath;
  bool crlf = false;
  double statusRate = 0;
  UnitState unit;
  std::array<unsigned char, 6> mac{0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE};
  int commandPort = 10001;
  double writeDelay = 0;  // seconds before each write step is acknowledged
};

// Set by SIGTERM or SIGINT.
bool StopRequested();
void CatchStopSignals();

int RunSerialUnit(const Options& options, FILE* log);
int RunNetUnit(const Options& options, FILE* log);

}  // namespace qvxsim
