#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace sonvale::audiolib {

// How a decoder stores one sample.
enum class SampleType { U8, S16, S32, S64, F32, F64 };

// Where a channel plays, as far as the stereo down-mix cares.
enum class Speaker {
  FrontLeft,      // front left, left of centre, wide left, top front left
  FrontRight,
  Centre,         // every centre channel, and any channel of unknown place
  SurroundLeft,   // side, back, top back and top side left
  SurroundRight,
  Lfe,            // low-frequency effects: left out of the mix
};

// Gains of each source channel in the left and the right output.
struct StereoMatrix {
  std::vector<double> left;
  std::vector<double> right;
};

// The down-mix of more than two channels. Front channels go to their side with gain 1,
// surround channels to their side and centre channels to both sides with gain 0.7071
// (-3 dB), LFE nowhere; then each side is divided by the sum of its gains, so the mix
// never exceeds the loudest source channel. For 5.1 (FL FR FC LFE BL BR) that is
//   L = (FL + 0.7071 FC + 0.7071 BL) / 2.4142,  R = (FR + 0.7071 FC + 0.7071 BR) / 2.4142.
StereoMatrix downmix_matrix(std::span<const Speaker> speakers);

// Decoded samples as the decoder left them: one plane per channel when planar, else
// one plane of interleaved channels.
struct SampleBlock {
  SampleType type = SampleType::F32;
  bool planar = false;
  int channels = 0;
  int frames = 0;
  const std::uint8_t* const* planes = nullptr;
};

// Writes block.frames interleaved stereo float frames to `out`. Integers become
// floats with full scale at 1.0 (16-bit s as s / 32768, 24- and 32-bit likewise, 8-bit
// unsigned u as (u - 128) / 128); float samples that are not finite numbers become 0.
// Stereo passes through untouched, mono goes to both sides, more channels are mixed
// with `matrix`.
void to_stereo(const SampleBlock& block, const StereoMatrix& matrix, float* out);

}  // namespace sonvale::audiolib
