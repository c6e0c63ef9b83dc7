// qvx-unit-sim: a simulated QVX control unit, QVX-RS on a pseudo-terminal or QVX-NET on UDP.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "options.h"

namespace qvxsim {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnStop(int) {
  stopRequested = 1;
}

constexpr const char* kHelp = R"(Usage: qvx-unit-sim [--net] [options]

Plays a QVX control unit for the service tool.
  QVX-RS (default): on a pseudo-terminal; prints the terminal's path on standard output (one
  line) and keeps a symbolic link to it.
  QVX-NET (--net): on UDP, the discovery and setup protocol on port 30718 and text commands on
  the command port.

Options:
  --net              play a QVX-NET unit instead of a QVX-RS unit
  --link PATH        QVX-RS: symbolic link to the terminal (default ./qvx-rs.tty)
  --crlf             QVX-RS: end replies with CR LF instead of LF
  --status-rate N    QVX-RS: send N unsolicited status lines a second (default 0)
  --mac M            QVX-NET: the unit's MAC address (default 00-20-4A-E0-2C-BE)
  --command-port N   QVX-NET: the command port it gives in its port answer (default 10001)
  --report FILE      QVX-NET: one line per packet written into it: opcode, then all bytes in hex
  --write-delay S    QVX-NET: waits S seconds before acknowledging each write step (a slow unit)
  --address N        the unit's address, 0 to 255 (default 0)
  --last-port C      last interface-port address, 0 to F (default 0)
  --log FILE         log every received line there (default: standard error)
  --help             this text

Text commands (each a line ended by LF, or one datagram) and replies:
  A<aa><p><c>,<cmd>  console command to unit <aa> (two hex digits), port <p>, code <c>.
                     Ignored when <aa> is not the unit's address. Replies, with the same head:
                       ON            -> A<aa><p><c>,ON,OK
                       OF            -> A<aa><p><c>,OF,OK
                       SV or SF      -> A<aa><p><c>,<cmd>,T21.5,OK
                       DUMP,<n>      -> n lines A<aa><p><c>,DUMP,<i> at full speed
                       anything else -> A<aa><p><c>,<cmd>,OK
                     A port beyond the last port:   A<aa><p><c>,ERR,PORT
                     A code other than the port's:  A<aa><p><c>,ERR,CODE
  PSCU=<aa><l>       sets address <aa> and last port <l>; reply A<aa>0<code of port 0>,PSCU,OK
  ALLLA,PSIP=A<p><c> sets port <p> to code <c>; reply A<aa><p><c>,PSIP,OK
  any other line     reply @ERR,UNKNOWN
  Unsolicited status lines: A<aa><p><c>,ST,T21.5 for each port in turn.
  QVX-NET replies go, one datagram per line, to the server address and port written by the
  setup, or to the sender before any setup.

QVX-NET protocol on port 30718:
  00 00 00 F8 port query          -> port answer 00 00 00 F9, command port at bytes 24-25
  00 00 00 FC address announcement ending in the MAC's last two bytes arms the search answer
  00 0P 00 F6 search query        -> once armed: search answer 00 00 00 F7, MAC at bytes 24-29
  00 01 00 FA setup record        -> 00 01 00 FB
  00 01 00 C2 ... C7 blocks       -> 00 01 00 B2 ... B7
  00 00 00 03 finish packet       -> takes the written settings; search answers go on
)";

bool ParseMac(const std::string& text, std::array<unsigned char, 6>& mac) {
  unsigned int b[6];
  if (std::sscanf(text.c_str(), "%x-%x-%x-%x-%x-%x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]) !=
      6) {
    return false;
  }
  for (int i = 0; i < 6; ++i)
    mac[static_cast<std::size_t>(i)] = static_cast<unsigned char>(b[i]);
  return true;
}

}  // namespace

bool StopRequested() {
  return stopRequested != 0;
}

void CatchStopSignals() {
  std::signal(SIGTERM, OnStop);
  std::signal(SIGINT, OnStop);
}

}  // namespace qvxsim

int main(int argc, char* argv[]) {
  using namespace qvxsim;
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qvx-unit-sim: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (arg == "--net") {
      options.net = true;
    } else if (arg == "--link") {
      options.link = value();
    } else if (arg == "--crlf") {
      options.crlf = true;
    } else if (arg == "--status-rate") {
      options.statusRate = std::atof(value().c_str());
    } else if (arg == "--mac") {
      if (!ParseMac(value(), options.mac)) {
        std::fprintf(stderr, "qvx-unit-sim: --mac takes six hex bytes joined by -\n");
        return 2;
      }
    } else if (arg == "--command-port") {
      options.commandPort = std::atoi(value().c_str()) & 0xFFFF;
    } else if (arg == "--write-delay") {
      options.writeDelay = std::max(0.0, std::atof(value().c_str()));
    } else if (arg == "--report") {
      options.reportPath = value();
    } else if (arg == "--address") {
      options.unit.address = std::atoi(value().c_str()) & 0xFF;
    } else if (arg == "--last-port") {
      options.unit.lastPort = std::max(0, HexValue(value()[0]));
    } else if (arg == "--log") {
      options.logPath = value();
    } else {
      std::fprintf(stderr, "qvx-unit-sim: unknown option %s (see --help)\n", arg.c_str());
      return 2;
    }
  }
  FILE* log = options.logPath.empty() ? stderr : std::fopen(options.logPath.c_str(), "a");
  if (log == nullptr) {
    std::perror("qvx-unit-sim: log");
    return 1;
  }
  CatchStopSignals();
  return options.net ? RunNetUnit(options, log) : RunSerialUnit(options, log);
}
