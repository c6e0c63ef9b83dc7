#include "serial/telnet_codec.h"

namespace vidideza {

namespace {

using namespace telnet;

// A subnegotiation longer than any COM-PORT-OPTION answer is cut there: a hostile server
// must not make the tool hold what it sends.
constexpr std::size_t kLongestSubnegotiation = 64;

char Byte(std::uint8_t value) {
  return static_cast<char>(value);
}

std::string OneByte(std::uint8_t value) {
  return std::string(1, Byte(value));
}

std::string BigEndian32(std::uint32_t value) {
  return {Byte(static_cast<std::uint8_t>(value >> 24)),
          Byte(static_cast<std::uint8_t>(value >> 16)), Byte(static_cast<std::uint8_t>(value >> 8)),
          Byte(static_cast<std::uint8_t>(value))};
}

}  // namespace

std::string EscapeTelnetData(std::string_view data) {
  std::string wire;
  wire.reserve(data.size());
  for (const char c : data) {
    wire += c;
    if (static_cast<std::uint8_t>(c) == kIac) {
      wire += c;
    }
  }
  return wire;
}

std::string TelnetOptionCommand(std::uint8_t verb, std::uint8_t option) {
  return {Byte(kIac), Byte(verb), Byte(option)};
}

std::string ComPortRequest(ComPortCommand command, std::string_view value) {
  std::string wire{Byte(kIac), Byte(kSb), Byte(kComPortOption),
                   Byte(static_cast<std::uint8_t>(command))};
  wire += EscapeTelnetData(value);
  wire += Byte(kIac);
  wire += Byte(kSe);
  return wire;
}

std::vector<ComPortSetting> ComPortSettingsFor(const LineSettings& settings,
                                               std::string& unsupported) {
  std::vector<ComPortSetting> requests;
  unsupported.clear();
  if (settings.baudRate > 0) {
    requests.push_back({ComPortCommand::kSetBaudRate,
                        BigEndian32(static_cast<std::uint32_t>(settings.baudRate)),
                        "baud rate " + std::to_string(settings.baudRate)});
  }
  switch (settings.dataBits) {
    case TDataBits::dbDefault:
      break;
    case TDataBits::db4:
      unsupported = "4 data bits";
      return {};
    default: {
      const int bits = static_cast<int>(settings.dataBits) - static_cast<int>(TDataBits::db5) + 5;
      requests.push_back({ComPortCommand::kSetDataSize, OneByte(static_cast<std::uint8_t>(bits)),
                          std::to_string(bits) + " data bits"});
    }
  }
  struct Named {
    std::uint8_t value;
    const char* name;
  };
  if (settings.parity != TParity::paDefault) {
    static constexpr Named kParities[] = {{0, ""},
                                          {1, "no parity"},
                                          {2, "odd parity"},
                                          {3, "even parity"},
                                          {4, "mark parity"},
                                          {5, "space parity"}};
    const Named& parity = kParities[static_cast<int>(settings.parity)];
    requests.push_back({ComPortCommand::kSetParity, OneByte(parity.value), parity.name});
  }
  if (settings.stopBits != TStopBits::sbDefault) {
    static constexpr Named kStops[] = {
        {0, ""}, {1, "1 stop bit"}, {3, "1.5 stop bits"}, {2, "2 stop bits"}};
    const Named& stop = kStops[static_cast<int>(settings.stopBits)];
    requests.push_back({ComPortCommand::kSetStopSize, OneByte(stop.value), stop.name});
  }
  // Outbound flow control: XON/XOFF, hardware (RTS/CTS), or none.
  const bool xOnXOff = settings.xOnXOff == TXOnXOffFlowControl::xcOutput ||
                       settings.xOnXOff == TXOnXOffFlowControl::xcInputOutput;
  const bool hardware = settings.rts == TRTSFlowControl::rcHandshake;
  const bool flowSet = settings.xOnXOff != TXOnXOffFlowControl::xcDefault ||
                       settings.rts != TRTSFlowControl::rcDefault;
  if (flowSet) {
    if (xOnXOff) {
      requests.push_back({ComPortCommand::kSetControl, OneByte(2), "XON/XOFF flow control"});
    } else if (hardware) {
      requests.push_back({ComPortCommand::kSetControl, OneByte(3), "hardware flow control"});
    } else {
      requests.push_back({ComPortCommand::kSetControl, OneByte(1), "no flow control"});
    }
  }
  return requests;
}

void TelnetDecoder::Feed(std::string_view bytes, std::string& data,
                         std::vector<TelnetEvent>& events) {
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    switch (state_) {
      case State::kData:
        if (b == kIac) {
          state_ = State::kIac;
        } else {
          data += c;
        }
        break;
      case State::kIac:
        if (b == kIac) {
          data += c;
          state_ = State::kData;
        } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
          verb_ = b;
          state_ = State::kVerb;
        } else if (b == kSb) {
          sub_.clear();
          state_ = State::kSub;
        } else {
          state_ = State::kData;  // NOP, GA, BREAK and the like carry nothing for the port
        }
        break;
      case State::kVerb:
        events.push_back({TelnetEvent::Kind::kOption, verb_, b, 0, {}});
        state_ = State::kData;
        break;
      case State::kSub:
        if (b == kIac) {
          state_ = State::kSubIac;
        } else if (sub_.size() < kLongestSubnegotiation) {
          sub_ += c;
        }
        break;
      case State::kSubIac:
        if (b == kIac) {
          if (sub_.size() < kLongestSubnegotiation) {
            sub_ += c;
          }
          state_ = State::kSub;
        } else if (b == kSe) {
          if (sub_.size() >= 2 && static_cast<std::uint8_t>(sub_[0]) == kComPortOption) {
            events.push_back({TelnetEvent::Kind::kComPort, 0, 0, static_cast<std::uint8_t>(sub_[1]),
                              sub_.substr(2)});
          }
          state_ = State::kData;
        } else {
          // An unterminated subnegotiation: dropped, and the byte read as a command.
          state_ = State::kIac;
          Feed(std::string_view(&c, 1), data, events);
        }
        break;
    }
  }
}

bool TelnetOptions::Wanted(std::uint8_t option, bool local) {
  return option == kBinary || option == kSuppressGoAhead || (local && option == kComPortOption);
}

std::string TelnetOptions::Opening() {
  std::string wire;
  for (const std::uint8_t option : {kComPortOption, kBinary, kSuppressGoAhead}) {
    local_[option] = Side::kAsked;
    wire += TelnetOptionCommand(kWill, option);
  }
  for (const std::uint8_t option : {kBinary, kSuppressGoAhead}) {
    remote_[option] = Side::kAsked;
    wire += TelnetOptionCommand(kDo, option);
  }
  return wire;
}

std::string TelnetOptions::Answer(std::uint8_t verb, std::uint8_t option) {
  const bool local = verb == kDo || verb == kDont;
  Side& side = local ? local_[option] : remote_[option];
  const std::uint8_t agree = local ? kWill : kDo;
  const std::uint8_t refuse = local ? kWont : kDont;
  if (verb == kDo || verb == kWill) {
    if (!Wanted(option, local)) {
      return TelnetOptionCommand(refuse, option);
    }
    const bool owed = side != Side::kOn && side != Side::kAsked;
    side = Side::kOn;
    return owed ? TelnetOptionCommand(agree, option) : std::string();
  }
  // DONT or WONT.
  const Side was = side;
  side = was == Side::kOff ? Side::kOff : Side::kRefused;
  return was == Side::kOn ? TelnetOptionCommand(refuse, option) : std::string();
}

std::uint32_t ModemStatusFromComPort(std::uint8_t modemState) {
  // The upper four bits are the lines themselves, in the order the port reports them.
  return modemState & (msCTS | msDSR | msRing | msRLSD);
}

}  // namespace vidideza
