#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvale::audiolib {

// One logical stream of an Ogg file. A chained file holds several, one after the
// other, each a link.
struct OggLink {
  int rate = 0;              // its Vorbis identification header's; 0 for another codec
  std::int64_t frames = -1;  // the granule position of its last page: its length
};

// The links of the Ogg file at `path`, in order, read from the pages' headers alone
// (and each link's first packet). Empty when the file cannot be read or when streams
// are interleaved rather than chained.
std::vector<OggLink> ogg_links(const std::string& path);

}  // namespace sonvale::audiolib
