#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonvale::playlist {

// The texts an added file's entry shows, from its path.

// The path up to and including its last "/"; where that is not an existing folder,
// the same again one character shorter, at most 21 times.
std::string existing_folder_of(std::string_view path);

// The text between the last two "/" of a folder path ending in "/": "Album" for
// "/music/Album/".
std::string folder_name_of(std::string_view folder);

// The file name without the extension and its dot: the `extension_length` + 1
// characters before the end go.
std::string title_of(std::string_view path, std::string_view folder, std::size_t extension_length);

// "MP3 :44.1>/m-/Album/Song": the upper-cased extension padded to four, the rate in
// kHz with one decimal (of the float quotient, so 22050 Hz reads 22.0), the first two
// characters of the path, the folder name and the title.
std::string display_text(std::string_view extension, std::int32_t rate, std::string_view path,
                         std::string_view folder_name, std::string_view title);

}  // namespace sonvale::playlist
