#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "serial/com_settings.h"

namespace vidideza {

// The Telnet bytes a serial server speaks (RFC 854/855) and its COM-PORT-OPTION (RFC 2217).
namespace telnet {
inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPortOption = 44;
}  // namespace telnet

// COM-PORT-OPTION commands as the client sends them; the server answers each with the same
// command plus kServerOffset.
enum class ComPortCommand : std::uint8_t {
  kSignature = 0,
  kSetBaudRate = 1,
  kSetDataSize = 2,
  kSetParity = 3,
  kSetStopSize = 4,
  kSetControl = 5,
  kNotifyLineState = 6,
  kNotifyModemState = 7,
  kFlowControlSuspend = 8,
  kFlowControlResume = 9,
  kSetLineStateMask = 10,
  kSetModemStateMask = 11,
  kPurgeData = 12,
};
inline constexpr std::uint8_t kServerOffset = 100;

// PURGE-DATA values: which of the server's buffers to empty.
inline constexpr std::uint8_t kPurgeReceive = 1;
inline constexpr std::uint8_t kPurgeTransmit = 2;

// Data bytes as they go on the wire: each 0xFF doubled.
std::string EscapeTelnetData(std::string_view data);
// IAC verb option.
std::string TelnetOptionCommand(std::uint8_t verb, std::uint8_t option);
// IAC SB COM-PORT-OPTION command value IAC SE, the value escaped.
std::string ComPortRequest(ComPortCommand command, std::string_view value);

// One setting the server is asked for, with the value it must answer.
struct ComPortSetting {
  ComPortCommand command;
  std::string value;
  std::string name;  // as a technician reads it: "baud rate 9600"
};
// The requests that set the line to settings; a setting left at its default is not sent.
// Empty when the settings hold something RFC 2217 cannot express (then `unsupported` names it).
std::vector<ComPortSetting> ComPortSettingsFor(const LineSettings& settings,
                                               std::string& unsupported);

// What arrived besides data: an option verb, or a COM-PORT-OPTION subnegotiation.
struct TelnetEvent {
  enum class Kind { kOption, kComPort };
  Kind kind = Kind::kOption;
  std::uint8_t verb = 0;     // kOption: WILL, WONT, DO or DONT
  std::uint8_t option = 0;   // kOption
  std::uint8_t command = 0;  // kComPort: as sent, server answers are above kServerOffset
  std::string value;         // kComPort, unescaped
  bool operator==(const TelnetEvent&) const = default;
};

// Splits what the server sends into data and events. Keeps its state across calls, so an
// escape or a subnegotiation cut between two reads is put together again.
class TelnetDecoder {
 public:
  void Feed(std::string_view bytes, std::string& data, std::vector<TelnetEvent>& events);

 private:
  enum class State { kData, kIac, kVerb, kSub, kSubIac };
  State state_ = State::kData;
  std::uint8_t verb_ = 0;
  std::string sub_;
};

// The option negotiation of the client side, after RFC 1143's rule that a request already
// agreed is never answered again (so two sides can never loop). The client wants to send
// COM-PORT-OPTION, and BINARY and SUPPRESS-GO-AHEAD both ways; it refuses everything else.
class TelnetOptions {
 public:
  // The requests the client opens the session with.
  std::string Opening();
  // The answer owed to a verb from the server (empty when none is owed).
  std::string Answer(std::uint8_t verb, std::uint8_t option);

  bool ComPortAgreed() const { return local_[telnet::kComPortOption] == Side::kOn; }
  bool ComPortRefused() const { return local_[telnet::kComPortOption] == Side::kRefused; }

 private:
  enum class Side : std::uint8_t { kOff, kAsked, kOn, kRefused };
  static bool Wanted(std::uint8_t option, bool local);
  Side local_[256] = {};   // options this side performs (WILL/WONT from us)
  Side remote_[256] = {};  // options the server performs (DO/DONT from us)
};

// The RFC 2217 modem state bits as the port reports them (msCTS, msDSR, msRing, msRLSD).
std::uint32_t ModemStatusFromComPort(std::uint8_t modemState);

}  // namespace vidideza
