#include "serial/com_settings.h"

#include <array>

namespace vidideza {

int BaudRateValue(TBaudRate rate) {
  static constexpr std::array<int, 27> kRates = {0,     50,    75,     110,    150,    300,   600,
                                                 1200,  1800,  2000,   2400,   3600,   4800,  7200,
                                                 9600,  10400, 14400,  15625,  19200,  28800, 38400,
                                                 56000, 57600, 115200, 128000, 256000, 0};
  return kRates.at(static_cast<std::size_t>(rate));
}

}  // namespace vidideza
