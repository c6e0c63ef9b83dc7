#include "serial/telnet_codec.h"

#include <gtest/gtest.h>

namespace vidideza {
namespace {

using namespace telnet;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int v : values) {
    bytes += static_cast<char>(v);
  }
  return bytes;
}

TEST(TelnetCodec, DataBytes0xFFAreDoubledOnTheWire) {
  EXPECT_EQ(EscapeTelnetData("A1\r"), "A1\r");
  EXPECT_EQ(EscapeTelnetData(Bytes({0xFF})), Bytes({0xFF, 0xFF}));
  EXPECT_EQ(EscapeTelnetData(Bytes({'x', 0xFF, 0xFF, 'y'})), Bytes({'x', 255, 255, 255, 255, 'y'}));
  EXPECT_EQ(ComPortRequest(ComPortCommand::kSetBaudRate, Bytes({0, 0, 0xFF, 0})),
            Bytes({kIac, kSb, 44, 1, 0, 0, 0xFF, 0xFF, 0, kIac, kSe}));
}

TEST(TelnetCodec, TheQvxLineIsAskedFor9600Baud8DataBitsNoParity2StopBitsNoFlowControl) {
  LineSettings qvx;
  qvx.baudRate = 9600;
  qvx.dataBits = TDataBits::db8;
  qvx.parity = TParity::paNone;
  qvx.stopBits = TStopBits::sb2;
  qvx.dtr = TDTRFlowControl::dcDisable;
  qvx.rts = TRTSFlowControl::rcDisable;
  qvx.xOnXOff = TXOnXOffFlowControl::xcDisable;
  std::string unsupported;
  const std::vector<ComPortSetting> requests = ComPortSettingsFor(qvx, unsupported);
  EXPECT_EQ(unsupported, "");
  std::string wire;
  std::vector<std::string> names;
  for (const ComPortSetting& request : requests) {
    wire += ComPortRequest(request.command, request.value);
    names.push_back(request.name);
  }
  EXPECT_EQ(wire, Bytes({kIac, kSb, 44, 1, 0, 0,    0x25, 0x80, kIac, kSe,  // 9600
                         kIac, kSb, 44, 2, 8, kIac, kSe,                    // 8 data bits
                         kIac, kSb, 44, 3, 1, kIac, kSe,                    // no parity
                         kIac, kSb, 44, 4, 2, kIac, kSe,                    // 2 stop bits
                         kIac, kSb, 44, 5, 1, kIac, kSe}));                 // no flow control
  EXPECT_EQ(names, (std::vector<std::string>{"baud rate 9600", "8 data bits", "no parity",
                                             "2 stop bits", "no flow control"}));
}

TEST(TelnetCodec, OtherLinesAndWhatTheProtocolCannotSay) {
  struct Row {
    LineSettings settings;
    std::string wire;  // the requests' bytes without the IAC SB 44 framing: command, value
    std::string unsupported;
  };
  const auto with = [](auto change) {
    LineSettings s;
    change(s);
    return s;
  };
  const Row rows[] = {
      {LineSettings{}, "", ""},  // nothing set: nothing asked
      {with([](LineSettings& s) { s.parity = TParity::paEven; }), Bytes({3, 3}), ""},
      {with([](LineSettings& s) { s.parity = TParity::paSpace; }), Bytes({3, 5}), ""},
      {with([](LineSettings& s) { s.stopBits = TStopBits::sb1_5; }), Bytes({4, 3}), ""},
      {with([](LineSettings& s) { s.dataBits = TDataBits::db5; }), Bytes({2, 5}), ""},
      {with([](LineSettings& s) { s.xOnXOff = TXOnXOffFlowControl::xcInputOutput; }), Bytes({5, 2}),
       ""},
      {with([](LineSettings& s) { s.rts = TRTSFlowControl::rcHandshake; }), Bytes({5, 3}), ""},
      {with([](LineSettings& s) { s.baudRate = 115200; }), Bytes({1, 0, 1, 0xC2, 0}), ""},
      {with([](LineSettings& s) { s.dataBits = TDataBits::db4; }), "", "4 data bits"},
  };
  for (const Row& row : rows) {
    std::string unsupported = "stale";
    std::string wire;
    for (const ComPortSetting& request : ComPortSettingsFor(row.settings, unsupported)) {
      wire += static_cast<char>(request.command);
      wire += request.value;
    }
    EXPECT_EQ(wire, row.wire);
    EXPECT_EQ(unsupported, row.unsupported);
  }
}

TEST(TelnetCodec, TheDecoderSeparatesDataFromCommandsWhereverTheReadsAreCut) {
  // Data with an escaped 0xFF, an option verb, a NOP, the server's answer to SET-BAUDRATE
  // (whose value holds an escaped 0xFF) and a modem-state notification.
  const std::string stream =
      Bytes({'O', 'K', 0xFF, 0xFF, '\r', kIac, kWill, 3,    'x', kIac, 241, 'y',  kIac, kSb, 44,
             101, 0,   0,    0xFF, 0xFF, kIac, kSe,   kIac, kSb, 44,   107, 0x30, kIac, kSe, 'z'});
  const std::vector<TelnetEvent> wanted = {
      {TelnetEvent::Kind::kOption, kWill, 3, 0, ""},
      {TelnetEvent::Kind::kComPort, 0, 0, 101, Bytes({0, 0, 0xFF})},
      {TelnetEvent::Kind::kComPort, 0, 0, 107, Bytes({0x30})},
  };
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    TelnetDecoder decoder;
    std::string data;
    std::vector<TelnetEvent> events;
    decoder.Feed(std::string_view(stream).substr(0, cut), data, events);
    decoder.Feed(std::string_view(stream).substr(cut), data, events);
    EXPECT_EQ(data, Bytes({'O', 'K', 0xFF, '\r', 'x', 'y', 'z'})) << "cut at " << cut;
    EXPECT_EQ(events, wanted) << "cut at " << cut;
  }
}

TEST(TelnetCodec, AHostileSubnegotiationIsCutAndAnUnendedOneDropped) {
  TelnetDecoder decoder;
  std::string data;
  std::vector<TelnetEvent> events;
  std::string endless = Bytes({kIac, kSb, 44, 107});
  endless += std::string(100000, 'A');
  endless += Bytes({kIac, kSe, 'd'});
  decoder.Feed(endless, data, events);
  ASSERT_EQ(events.size(), 1U);
  EXPECT_LE(events[0].value.size(), 64U);
  EXPECT_EQ(data, "d");

  // IAC inside a subnegotiation followed by a verb: the subnegotiation is dropped and the verb
  // is read as one.
  events.clear();
  data.clear();
  decoder.Feed(Bytes({kIac, kSb, 44, 101, 1, kIac, kDo, 44, 'e'}), data, events);
  EXPECT_EQ(events, (std::vector<TelnetEvent>{{TelnetEvent::Kind::kOption, kDo, 44, 0, ""}}));
  EXPECT_EQ(data, "e");
}

TEST(TelnetCodec, OptionNegotiationAgreesWhatTheClientWantsAndNeverLoops) {
  struct Step {
    int verb;
    int option;
    std::string answer;
  };
  TelnetOptions options;
  EXPECT_EQ(options.Opening(),
            Bytes({kIac, kWill, 44, kIac, kWill, 0, kIac, kWill, 3, kIac, kDo, 0, kIac, kDo, 3}));
  const Step steps[] = {
      {kDo, 44, ""},                        // the answer to WILL COM-PORT: agreed
      {kDo, 44, ""},                        // again: agreed already, no answer
      {kWill, 0, ""},                       // the answer to DO BINARY
      {kDo, 0, ""},                         // the answer to WILL BINARY
      {kWill, 1, Bytes({kIac, kDont, 1})},  // ECHO is refused
      {kWill, 1, Bytes({kIac, kDont, 1})},  // and refused again
      {kDo, 24, Bytes({kIac, kWont, 24})},  // TERMINAL-TYPE is refused
      {kWont, 3, ""},                       // the server refuses SGA we asked for
      {kWill, 3, Bytes({kIac, kDo, 3})},    // and offers it later: agreed
      {kDont, 0, Bytes({kIac, kWont, 0})},  // BINARY we perform is stopped: confirmed
      {kDont, 0, ""},                       // and not confirmed twice
  };
  for (const Step& step : steps) {
    EXPECT_EQ(options.Answer(static_cast<std::uint8_t>(step.verb),
                             static_cast<std::uint8_t>(step.option)),
              step.answer)
        << step.verb << " " << step.option;
  }
  EXPECT_TRUE(options.ComPortAgreed());

  TelnetOptions refusing;
  (void)refusing.Opening();
  EXPECT_EQ(refusing.Answer(kDont, 44), "");
  EXPECT_TRUE(refusing.ComPortRefused());
  EXPECT_FALSE(refusing.ComPortAgreed());
}

TEST(TelnetCodec, ModemStateBitsAreTheLinesThePortReports) {
  EXPECT_EQ(ModemStatusFromComPort(0x10), static_cast<std::uint32_t>(msCTS));
  EXPECT_EQ(ModemStatusFromComPort(0xFF),
            static_cast<std::uint32_t>(msCTS | msDSR | msRing | msRLSD));
  EXPECT_EQ(ModemStatusFromComPort(0x0F), 0U);  // the delta bits are no lines
}

}  // namespace
}  // namespace vidideza
