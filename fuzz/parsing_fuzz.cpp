// The integer and address parsers and Split, fed arbitrary text, each checked against a second,
// plain reading of its rule.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/integer_parsing.h"
#include "fuzz_check.h"
#include "net/address_parsing.h"
#include "net/net_unit_settings.h"

using namespace vidideza;

namespace {

bool IsBlank(char c) {
  return c > 0 && static_cast<unsigned char>(c) <= 32;
}

// Split for a text without quotes, read from its tokens: words (runs of other characters) and
// delimiters, blanks only separating. A delimiter where a part should start gives an empty
// part; a delimiter that is the text's very last character gives an empty part after it.
std::vector<std::string> PlainSplit(char delimiter, std::string_view text) {
  struct Token {
    bool delimiter;
    std::string word;
    bool last;
  };
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == delimiter) {
      tokens.push_back({true, {}, i + 1 == text.size()});
      ++i;
    } else if (IsBlank(text[i])) {
      ++i;
    } else {
      std::string word;
      while (i < text.size() && text[i] != delimiter && !IsBlank(text[i]))
        word += text[i++];
      tokens.push_back({false, word, false});
    }
  }
  std::vector<std::string> parts;
  for (std::size_t t = 0; t < tokens.size(); ++t) {
    if (!tokens[t].delimiter) {
      parts.push_back(tokens[t].word);
      if (t + 1 < tokens.size() && tokens[t + 1].delimiter) {
        ++t;
      } else {
        continue;
      }
    } else {
      parts.emplace_back();
    }
    if (tokens[t].last) {
      parts.emplace_back();
    }
  }
  return parts;
}

void CheckSplit(char delimiter, std::string_view text) {
  const std::vector<std::string> parts = Split(delimiter, text);
  const std::string_view upToNul = text.substr(0, text.find('\0'));
  std::size_t characters = 0;
  for (const auto& part : parts)
    characters += part.size();
  Check(characters <= upToNul.size());
  if (upToNul.find('"') == std::string_view::npos && delimiter != '"' && delimiter != '\0' &&
      !IsBlank(delimiter)) {
    Check(parts == PlainSplit(delimiter, upToNul));
  }
}

// The plain forms: an optional sign and up to nine decimal digits, or "$" and up to eight
// hexadecimal digits (a 32-bit pattern, read as signed).
void CheckIntegerOnPlainForms(std::string_view text) {
  const auto value = TryParseInteger(text);
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  const bool decimal = !digits.empty() && digits.size() <= 9 &&
                       digits.find_first_not_of("0123456789") == std::string_view::npos;
  if (decimal) {
    std::int64_t n = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    Check(value && *value == (negative ? -n : n));
  }
  if (text.size() >= 2 && text.size() <= 9 && text.front() == '$' &&
      text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string_view::npos) {
    std::uint32_t pattern = 0;
    std::from_chars(text.data() + 1, text.data() + text.size(), pattern, 16);
    Check(value && *value == static_cast<std::int32_t>(pattern));
  }
  if (text.empty() || text.find_first_not_of(" +-0123456789abcdefABCDEF$xX") != text.npos) {
    Check(!value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  CheckIntegerOnPlainForms(text);
  if (const auto value = TryParseInteger(text)) {
    Check(TryParseInteger(std::to_string(*value)) == value);  // reads back as itself
  }

  const char delimiter = size > 0 ? text.front() : '.';
  CheckSplit(delimiter, text.substr(size > 0 ? 1 : 0));
  CheckSplit('.', text);

  std::array<std::uint8_t, 4> address{};
  if (ParseDottedAddress(text, address)) {
    const auto parts = Split('.', text);
    Check(parts.size() >= 4);
    for (std::size_t i = 0; i < 4; ++i)
      Check(address[i] == static_cast<std::uint8_t>(ParseInteger(parts[i]) & 0xFF));
    (void)MaskToHostBits(address);
  }
  std::array<std::uint8_t, 6> mac{};
  if (ParseMacAddress(text, mac)) {
    const auto parts = Split('-', text);
    Check(parts.size() >= 6);
    for (std::size_t i = 0; i < 6; ++i)
      Check(mac[i] == static_cast<std::uint8_t>(ParseInteger("$" + parts[i]) & 0xFF));
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
