#include "support/utf8_text.h"

namespace vido {

namespace {

// The length of the well-formed UTF-8 sequence at `pos`, or 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF are not well formed).
size_t SequenceLength(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = SequenceLength(text, pos);
    if (length > 0) {
      out.append(text.substr(pos, length));
      pos += length;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[pos++]);
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

size_t DisplayLength(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) {
    const size_t length = SequenceLength(text, pos);
    pos += length > 0 ? length : 1;
  }
  return count;
}

}  // namespace vido
