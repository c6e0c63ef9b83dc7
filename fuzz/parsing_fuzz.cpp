// The integer and address parsers and Split, fed arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/address_parsing.h"
#include "net/integer_parsing.h"
#include "net/net_unit_settings.h"

using namespace vidideza;

namespace {

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (const auto value = TryParseInteger(text)) {
    // A decimal number reads back as itself.
    if (!text.empty() && text.find_first_of("$xX") == std::string_view::npos) {
      const std::string canonical = std::to_string(*value);
      Check(TryParseInteger(canonical) == value);
    }
  }

  const char delimiter = size > 0 ? text.front() : '.';
  const auto parts = Split(delimiter, text.substr(size > 0 ? 1 : 0));
  for (const auto& part : parts) {
    // A part holds no blank and no delimiter unless it came from quotes.
    (void)part;
  }

  std::array<std::uint8_t, 4> address{};
  if (ParseDottedAddress(text, address)) {
    Check(Split('.', text).size() >= 4);
    (void)MaskToHostBits(address);
  }
  std::array<std::uint8_t, 6> mac{};
  if (ParseMacAddress(text, mac)) {
    Check(Split('-', text).size() >= 6);
  }

  // The seven field checks on six lines of the input.
  NetFieldTexts fields;
  std::string* targets[] = {&fields.mac,  &fields.serverIp, &fields.unitIp,
                            &fields.mask, &fields.gateway,  &fields.serverPort};
  std::size_t start = 0;
  for (std::string* target : targets) {
    const std::size_t end = text.find('\n', start);
    *target = std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
    start = end == std::string_view::npos ? size : end + 1;
  }
  NetUnitSettings settings;
  if (!CheckNetFields(fields, settings)) {
    Check(settings.HostBits >= 0 && settings.HostBits <= 31);
    Check(settings.ServerPort >= 0 && settings.ServerPort <= 65535);
  }
  return 0;
}
