#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sonvale::audiolib {

// A short sound read from a 16-bit PCM WAV file: stereo float frames (a mono file on
// both sides) and the file's rate.
struct PcmSound {
  std::vector<float> samples;
  unsigned rate = 0;
};

// Reads a RIFF/WAVE file of 16-bit PCM, mono or stereo, held in memory. A data chunk
// that claims more than the file holds gives what is there, in whole frames.
// Nothing for anything else.
std::optional<PcmSound> read_pcm16_wav(std::span<const std::uint8_t> file);

}  // namespace sonvale::audiolib
