#include "platform/text_encoding.h"


namespace sonvale::platform {
namespace {

// Windows-1252 at 0x80 to 0x9F; the five unassigned bytes keep their Latin-1 value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t code_point_of(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

std::size_t encoded_size(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }

// The length of the UTF-8 sequence at `text[i]`, 0 when none is there: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::size_t sequence_at(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length;
  char32_t minimum;
  char32_t c;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, c = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

bool is_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = sequence_at(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace

std::size_t utf8_size_of(std::string_view text) {
  if (is_utf8(text)) return text.size();
  std::size_t size = 0;
  for (char c : text) size += encoded_size(code_point_of(static_cast<unsigned char>(c)));
  return size;
}

std::string to_utf8(std::string_view text) {
  if (is_utf8(text)) return std::string(text);
  std::string out;
  out.reserve(utf8_size_of(text));
  for (char byte : text) {
    const char32_t c = code_point_of(static_cast<unsigned char>(byte));
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace sonvale::platform
