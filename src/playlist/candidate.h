#pragma once

#include <string>
#include <string_view>

namespace sonvale::playlist {

// What an adding path does with a file, judged by the end of its name only.
struct Candidate {
  enum class Kind { Ignore, Probe, CdTrack, DiscImage };
  Kind kind = Kind::Ignore;
  std::string extension;  // for Probe: handed to probe_file
};

// A name from a folder listing or a drop: the extension handed on is upper-cased
// ("MP3", "FLAC", ".WV").
Candidate classify_listed(std::string_view name);

// A path from the file dialog: the extension keeps its case ("mp3", "flac", ".wv").
Candidate classify_chosen(std::string_view path);

std::string upper_ascii(std::string_view text);

}  // namespace sonvale::playlist
