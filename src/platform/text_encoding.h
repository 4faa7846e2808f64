#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonvale::platform {

// The system's text is UTF-8. Text from outside that is not valid UTF-8 is taken as
// Windows-1252 (Latin-1 with the printable characters at 0x80 to 0x9F), the code
// page that older discs' titles and CDDB records were written in.

// The bytes `text` takes as UTF-8.
std::size_t utf8_size_of(std::string_view text);

// `text` as UTF-8: unchanged when it already is.
std::string to_utf8(std::string_view text);

}  // namespace sonvale::platform
