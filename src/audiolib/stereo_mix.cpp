#include "audiolib/stereo_mix.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace sonvale::audiolib {
namespace {

constexpr double kMinus3dB = 0.70710678118654752;

template <typename T>
T load(const std::uint8_t* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

int bytes_per_sample(SampleType type) {
  switch (type) {
    case SampleType::U8: return 1;
    case SampleType::S16: return 2;
    case SampleType::S32: case SampleType::F32: return 4;
    case SampleType::S64: case SampleType::F64: return 8;
  }
  return 4;
}

// A float source may hold NaN or infinities (or, as doubles, values no float can
// hold); any of them would spread through every filter after it, so they are silence.
float finite_or_zero(double x) { return std::fabs(x) <= FLT_MAX ? static_cast<float>(x) : 0.0f; }

// Powers of two, so that each integer maps to its float without rounding.
float sample_at(SampleType type, const std::uint8_t* p) {
  switch (type) {
    case SampleType::U8: return static_cast<float>(static_cast<int>(*p) - 128) * (1.0f / 128.0f);
    case SampleType::S16: return static_cast<float>(load<std::int16_t>(p)) * (1.0f / 32768.0f);
    case SampleType::S32: return static_cast<float>(load<std::int32_t>(p)) * (1.0f / 2147483648.0f);
    case SampleType::S64:
      return static_cast<float>(static_cast<double>(load<std::int64_t>(p)) * (1.0 / 9223372036854775808.0));
    case SampleType::F32: return finite_or_zero(load<float>(p));
    case SampleType::F64: return finite_or_zero(load<double>(p));
  }
  return 0.0f;
}

}  // namespace

StereoMatrix downmix_matrix(std::span<const Speaker> speakers) {
  StereoMatrix m;
  for (Speaker s : speakers) {
    double l = 0.0, r = 0.0;
    switch (s) {
      case Speaker::FrontLeft: l = 1.0; break;
      case Speaker::FrontRight: r = 1.0; break;
      case Speaker::Centre: l = r = kMinus3dB; break;
      case Speaker::SurroundLeft: l = kMinus3dB; break;
      case Speaker::SurroundRight: r = kMinus3dB; break;
      case Speaker::Lfe: break;
    }
    m.left.push_back(l);
    m.right.push_back(r);
  }
  for (auto* side : {&m.left, &m.right}) {
    double sum = 0.0;
    for (double g : *side) sum += g;
    if (sum > 0.0)
      for (double& g : *side) g /= sum;
  }
  return m;
}

void to_stereo(const SampleBlock& block, const StereoMatrix& matrix, float* out) {
  const int size = bytes_per_sample(block.type);
  const int channels = block.channels;
  auto sample = [&](int frame, int channel) {
    const std::uint8_t* p = block.planar
                                ? block.planes[channel] + static_cast<std::size_t>(frame) * size
                                : block.planes[0] + (static_cast<std::size_t>(frame) * channels + channel) * size;
    return sample_at(block.type, p);
  };
  for (int f = 0; f < block.frames; ++f) {
    float* o = out + 2 * static_cast<std::size_t>(f);
    if (channels == 1) {
      o[0] = o[1] = sample(f, 0);
    } else if (channels == 2) {
      o[0] = sample(f, 0);
      o[1] = sample(f, 1);
    } else {
      double l = 0.0, r = 0.0;
      for (int c = 0; c < channels; ++c) {
        const double x = sample(f, c);
        l += matrix.left[static_cast<std::size_t>(c)] * x;
        r += matrix.right[static_cast<std::size_t>(c)] * x;
      }
      o[0] = static_cast<float>(l);
      o[1] = static_cast<float>(r);
    }
  }
}

}  // namespace sonvale::audiolib
