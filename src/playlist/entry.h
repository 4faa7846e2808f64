#pragma once

#include <cstdint>
#include <string>

namespace sonvale::playlist {

// One track of a playlist page. Files fill the first group of fields, audio-CD
// tracks the CD ones as well.
struct PlaylistEntry {
  std::string path;
  std::string title;             // file name without its extension
  std::string folder_and_title;  // folder name, "/", title
  std::string extension;         // as the adding path passed it, without the dot ("WV" for WavPack)
  std::int32_t sample_rate = 0;
  std::string display_text;      // the page list's text
  std::uint8_t played = 0;       // 1 = opened last on its page
  std::string track_title;
  std::string artist;
  std::int32_t created = 0;      // seconds since 1970 in local time
  std::int32_t cd_track = 0;     // 0-based
  std::uint8_t cd_drive = 0;
  std::int32_t cd_read_speed = 0;
  std::string folder_name;
  // Given when the entry is appended, never reused in a run: names the entry itself
  // wherever sorting and removals move it.
  std::uint64_t id = 0;
};

}  // namespace sonvale::playlist
