#include "audiolib/vorbis_headers.h"

#include <cstring>

namespace sonvale::audiolib {

VorbisHeader vorbis_header_of(const std::uint8_t* packet, std::size_t size) {
  // Audio packets begin with a 0 bit; headers with their odd type and the codec's name.
  if (packet == nullptr || size < 7 || std::memcmp(packet + 1, "vorbis", 6) != 0) return VorbisHeader::None;
  switch (packet[0]) {
    case 1: return VorbisHeader::Identification;
    case 3: return VorbisHeader::Comment;
    case 5: return VorbisHeader::Setup;
    default: return VorbisHeader::None;
  }
}

int vorbis_header_rate(const std::uint8_t* packet, std::size_t size) {
  // Type, name, 32-bit version, channel count, then the rate, little-endian.
  constexpr std::size_t kRateAt = 12;
  if (size < kRateAt + 4) return 0;
  const std::uint32_t rate = std::uint32_t{packet[kRateAt]} | std::uint32_t{packet[kRateAt + 1]} << 8 |
                             std::uint32_t{packet[kRateAt + 2]} << 16 | std::uint32_t{packet[kRateAt + 3]} << 24;
  return rate > 0x7FFFFFFF ? 0 : static_cast<int>(rate);
}

std::vector<std::uint8_t> vorbis_codec_setup(const std::vector<std::vector<std::uint8_t>>& headers) {
  std::vector<std::uint8_t> setup{static_cast<std::uint8_t>(headers.size() - 1)};
  for (std::size_t i = 0; i + 1 < headers.size(); ++i) {
    std::size_t size = headers[i].size();
    for (; size >= 255; size -= 255) setup.push_back(255);
    setup.push_back(static_cast<std::uint8_t>(size));
  }
  for (const auto& header : headers) setup.insert(setup.end(), header.begin(), header.end());
  return setup;
}

}  // namespace sonvale::audiolib
