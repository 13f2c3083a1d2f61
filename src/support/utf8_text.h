#ifndef VIDO_SUPPORT_UTF8_TEXT_H_
#define VIDO_SUPPORT_UTF8_TEXT_H_

#include <string>
#include <string_view>

namespace vido {

// Cell texts keep the bytes of the file they came from, which need not be UTF-8 (older
// problem files are 8-bit text). Formats that must be UTF-8 (JSON, SVG) get the text with
// every byte that does not belong to a well-formed UTF-8 sequence read as Latin-1.
std::string ValidUtf8(std::string_view text);

// The number of characters `text` shows: UTF-8 sequences count one, other bytes one each.
size_t DisplayLength(std::string_view text);

}  // namespace vido

#endif  // VIDO_SUPPORT_UTF8_TEXT_H_
