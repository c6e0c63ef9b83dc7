#pragma once

namespace vidideza {

// The character a window shows for a byte received from a unit: the byte as Latin-1, except
// control bytes, shown as their control pictures (U+2400 to U+241F, and U+2421 for DEL) so that
// a CR or an ESC in a reply is seen rather than acted on. Both windows show bytes by this rule,
// and copying a line gives these characters.
constexpr char32_t ShownCharacter(unsigned char byte) {
  if (byte < 0x20) {
    return U'\u2400' + byte;
  }
  if (byte == 0x7F) {
    return U'\u2421';
  }
  return byte;
}

}  // namespace vidideza
