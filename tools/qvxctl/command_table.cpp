#include "command_table.h"

#include <array>

namespace qvxctl {

namespace {

constexpr OptionSpec kPortsOptions[] = {{"--help", false}, {"--json", false}};

constexpr OptionSpec kSendOptions[] = {
    {"--help", false}, {"--json", false}, {"--serial"}, {"--net"},  {"--server-port"},
    {"--address"},     {"--port-addr"},   {"--code"},   {"--wait"}, {"--log"},
};

constexpr OptionSpec kSetupUnitOptions[] = {
    {"--help", false}, {"--yes", false}, {"--serial"}, {"--net"}, {"--server-port"},
    {"--address"},     {"--last-port"},  {"--wait"},   {"--log"},
};

constexpr OptionSpec kSetupPortOptions[] = {
    {"--help", false}, {"--yes", false}, {"--serial"}, {"--net"}, {"--server-port"},
    {"--port-addr"},   {"--code"},       {"--wait"},   {"--log"},
};

constexpr OptionSpec kNetSetupOptions[] = {
    {"--help", false}, {"--verify", false}, {"--mac"},         {"--ip"},      {"--mask"},
    {"--gateway"},     {"--server-ip"},     {"--server-port"}, {"--adapter"},
};

constexpr OptionSpec kBatchOptions[] = {
    {"--help", false}, {"--json", false}, {"--verify", false}, {"--dry-run", false},
    {"--report"},      {"--parallel"},    {"--mask"},          {"--gateway"},
    {"--server-ip"},   {"--server-port"}, {"--adapter"},
};

constexpr std::string_view kPortsHelp = R"(Usage: qvxctl ports [--json]

Lists the serial ports as the window's port selector lists them: COM1 to COM9 first, then the
serial devices present now, each with what the system tells about it.
  --json   one JSON array of {"name", "identity"}
)";

constexpr std::string_view kSendHelp =
    R"(Usage: qvxctl send (--serial PORT | --net IP [--server-port N])
                   [--address N] [--port-addr C] [--code L] [--wait SECONDS] [--log FILE]
                   [--json] LINE...

Sends each command line, with its line feed, to a QVX unit and prints each line sent and received
as the window shows it ("SND: ...", "RCV: ...").
  --serial PORT      a QVX-RS unit: COMn, a name under /dev or a path (9600 baud, 8N2)
  --net IP           a QVX-NET unit: the unit is asked for its command port first (up to ten
                     queries, one a second)
  --server-port N    the local port the unit answers to (default 10100)
  --address N        stamps each line's head: the unit's address, 0 to 255
  --port-addr C      ... the interface-port address, 0 to F
  --code L           ... the code letter, A to F
                     Any of the three stamps the head as the window does; a part not given
                     stays as the line has it (the address is then 0).
  --wait SECONDS     how long to wait for replies after the last line (default 1)
  --log FILE         appends the same lines to FILE, CR LF, as the window's Test.log
  --json             prints {"sent": [...], "received": [...]} at the end instead
)";

constexpr std::string_view kSetupUnitHelp =
    R"(Usage: qvxctl setup-unit --address N --last-port C (--serial PORT | --net IP) [--yes]
                         [--server-port N] [--wait SECONDS] [--log FILE]

"Set control unit": sends PSCU=<address in hex><last port> and prints the replies.
  --address N       the new address, 0 to 255
  --last-port C     the last interface-port address, 0 to F
  --yes             does not ask; without it the question is asked on the terminal, and the
                    command refuses when there is none
Link options as for qvxctl send.
)";

constexpr std::string_view kSetupPortHelp =
    R"(Usage: qvxctl setup-port --port-addr C --code L (--serial PORT | --net IP) [--yes]
                         [--server-port N] [--wait SECONDS] [--log FILE]

"Set interface port": sends ALLLA,PSIP=A<port><code> and prints the replies. Only one interface
port may be connected while this is done.
  --port-addr C     the interface-port address, 0 to F
  --code L          the code letter, A to F
  --yes             does not ask; without it the question is asked on the terminal, and the
                    command refuses when there is none
Link options as for qvxctl send.
)";

constexpr std::string_view kNetSetupHelp =
    R"(Usage: qvxctl net-setup --mac MAC --ip IP [--mask MASK] [--gateway GW] [--server-ip IP]
                         [--server-port PORT] [--adapter NAME] [--verify]

"Set NET interface": checks the fields as the QVX-NET page does, finds the unit by its MAC
address and writes its IP settings. Progress goes to standard error as the page's status grows.
  --mac MAC          the unit's MAC address, six hexadecimal pairs joined by "-"
  --ip IP            the unit's IP address
  --mask MASK        the subnet mask
  --gateway GW       the gateway address
  --server-ip IP     the address the unit sends to (this computer)
  --server-port PORT the port the unit sends to, bound here for the run (default 10100)
  --adapter NAME     takes server IP, mask and gateway not given from this network adapter
                     (its name or its description)
  --verify           after "Succesfully set", waits for the unit to tell its command port
)";

constexpr std::string_view kBatchHelp =
    R"(Usage: qvxctl batch UNITS.csv [--parallel N] [--report REPORT.csv] [--json] [--verify]
                    [--dry-run] [--mask MASK] [--gateway GW] [--server-ip IP]
                    [--server-port PORT] [--adapter NAME]

Sets up many QVX-NET units, each as qvxctl net-setup does, up to N at once. UNITS.csv holds a
header row naming its columns (mac, ip, mask, gateway, server-ip, server-port; mac and ip are
needed), then one row per unit; an empty field takes the option's value or the adapter's; lines
starting with "#" are comments; "-" reads the table from standard input. A unit's row is the
line of the table it stands on.
The whole table is checked before any unit is written: a field the QVX-NET page would refuse,
a MAC or an IP address given twice makes it bad, and nothing is sent. Units whose MACs end in
the same two bytes (all the address announcement carries) are set one after the other, with a
warning. A unit that fails does not stop the batch. Ctrl-C begins no new unit and lets those in
flight end; a second Ctrl-C stops at once.
  --parallel N    units in flight at once, 1 to 256 (default 16; 1 sets one after another)
  --report FILE   one row per unit: row, mac, ip, outcome, seconds, message; each row goes to
                  FILE.partial as its unit ends, which becomes FILE when the batch ends
  --json          prints the results as JSON instead of the summary line
  --dry-run       checks the table and prints what each unit would be sent; sends nothing
Exit status: 0 when every unit was set, else that of the gravest failure (4 a unit not
confirmed, over 3 a link or file error, over 2 a unit not found, over 1 a bad table); 130 when
interrupted.
)";

constexpr std::array kCommands = {
    CommandSpec{"ports", "list the serial ports", kPortsHelp, kPortsOptions, RunPorts},
    CommandSpec{"send", "send command lines to a unit", kSendHelp, kSendOptions, RunSend},
    CommandSpec{"setup-unit", "set a unit's address and last interface port", kSetupUnitHelp,
                kSetupUnitOptions, RunSetupUnit},
    CommandSpec{"setup-port", "set an interface port's address and code", kSetupPortHelp,
                kSetupPortOptions, RunSetupPort},
    CommandSpec{"net-setup", "write a QVX-NET unit's IP settings", kNetSetupHelp, kNetSetupOptions,
                RunNetSetup},
    CommandSpec{"batch", "write the IP settings of many QVX-NET units", kBatchHelp, kBatchOptions,
                RunBatch},
};

constexpr std::string_view kToolHelp = R"(Usage: qvxctl COMMAND [OPTIONS]
       qvxctl --version | --help

Talks to QVX control units from the command line, as the VIDideza window does.

Commands:
  ports        list the serial ports
  send         send command lines to a unit
  setup-unit   set a unit's address and last interface port
  setup-port   set an interface port's address and code
  net-setup    write a QVX-NET unit's IP settings
  batch        write the IP settings of many QVX-NET units

qvxctl COMMAND --help tells more.
Exit status: 0 done, 1 a usage or field error, 2 a timeout (the unit not found: nothing written),
3 a link or file error, 4 the unit took its setup record but did not confirm (check it).
)";

}  // namespace

std::span<const CommandSpec> Commands() {
  return kCommands;
}

std::string_view ToolHelp() {
  return kToolHelp;
}

}  // namespace qvxctl
