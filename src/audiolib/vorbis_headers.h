#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonvale::audiolib {

// The three header packets that begin every Vorbis stream: identification, comment
// and setup. In a chained Ogg file each link begins with its own.
enum class VorbisHeader { None, Identification = 1, Comment = 3, Setup = 5 };

VorbisHeader vorbis_header_of(const std::uint8_t* packet, std::size_t size);

// The sample rate an identification header gives; 0 when it is too short.
int vorbis_header_rate(const std::uint8_t* packet, std::size_t size);

// The three headers, in order, joined as a Vorbis decoder takes them when it is
// opened: 2, the Xiph-laced sizes of the first two, then the packets.
std::vector<std::uint8_t> vorbis_codec_setup(const std::vector<std::vector<std::uint8_t>>& headers);

}  // namespace sonvale::audiolib
