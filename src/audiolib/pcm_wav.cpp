#include "audiolib/pcm_wav.h"

#include <cstring>
#include <string_view>

namespace sonvale::audiolib {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

bool is(const std::uint8_t* p, std::string_view id) { return std::memcmp(p, id.data(), 4) == 0; }

}  // namespace

std::optional<PcmSound> read_pcm16_wav(std::span<const std::uint8_t> file) {
  if (file.size() < 12 || !is(file.data(), "RIFF") || !is(file.data() + 8, "WAVE")) return std::nullopt;
  int channels = 0;
  PcmSound sound;
  // Chunks follow one another, each padded to an even length.
  for (std::size_t at = 12; at + 8 <= file.size();) {
    const std::uint8_t* chunk = file.data() + at;
    const std::size_t size = le32(chunk + 4);
    const std::size_t held = std::min(size, file.size() - at - 8);
    if (is(chunk, "fmt ")) {
      if (held < 16 || le16(chunk + 8) != 1 || le16(chunk + 22) != 16) return std::nullopt;
      channels = le16(chunk + 10);
      sound.rate = le32(chunk + 12);
      if ((channels != 1 && channels != 2) || sound.rate == 0) return std::nullopt;
    } else if (is(chunk, "data")) {
      if (channels == 0) return std::nullopt;
      const std::size_t frames = held / (2 * static_cast<std::size_t>(channels));
      sound.samples.resize(2 * frames);
      for (std::size_t f = 0; f < frames; ++f) {
        const std::uint8_t* frame = chunk + 8 + 2 * channels * f;
        for (int side = 0; side < 2; ++side) {
          const auto value = static_cast<std::int16_t>(le16(frame + 2 * (channels == 2 ? side : 0)));
          sound.samples[2 * f + side] = static_cast<float>(value) / 32768.0f;
        }
      }
      return sound;
    }
    if (size > file.size()) break;
    at += 8 + size + (size & 1);
  }
  return std::nullopt;
}

}  // namespace sonvale::audiolib
