#include "audiolib/device_format.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace sonvale::audiolib {
namespace {

// The integer nearest to x scaled to `Bits`, kept inside the format's range.
template <int Bits>
std::int32_t to_integer(float x) {
  constexpr double kFullScale = static_cast<double>(std::int64_t{1} << (Bits - 1));
  const double v = std::nearbyint(static_cast<double>(x) * kFullScale);
  if (std::isnan(v)) return 0;
  if (v < -kFullScale) return static_cast<std::int32_t>(-kFullScale);
  if (v > kFullScale - 1) return static_cast<std::int32_t>(kFullScale - 1);
  return static_cast<std::int32_t>(v);
}

// One sample as `Bits` bits in `Bytes` little-endian bytes (sign-extended when wider).
template <int Bits, int Bytes>
void put_integer(std::byte* out, float x) {
  const auto bits = static_cast<std::uint32_t>(to_integer<Bits>(x));
  for (int i = 0; i < Bytes; ++i) out[i] = static_cast<std::byte>((bits >> (8 * i)) & 0xFF);
}

void put_float(std::byte* out, float x) { std::memcpy(out, &x, sizeof x); }

template <int SampleBytes, void (*Put)(std::byte*, float)>
void convert(const float* stereo, std::size_t frames, int device_channels, std::byte* out) {
  const std::size_t silent_bytes = static_cast<std::size_t>(device_channels - 2) * SampleBytes;
  for (std::size_t i = 0; i < frames; ++i) {
    Put(out, stereo[2 * i]);
    Put(out + SampleBytes, stereo[2 * i + 1]);
    out += 2 * SampleBytes;
    std::memset(out, 0, silent_bytes);
    out += silent_bytes;
  }
}

}  // namespace

int bytes_per_sample(DeviceFormat format) {
  switch (format) {
    case DeviceFormat::S24Packed:
      return 3;
    case DeviceFormat::S16:
      return 2;
    default:
      return 4;
  }
}

void guard_non_finite(float* samples, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const float x = samples[i];
    if (std::isnan(x))
      samples[i] = 0.0f;
    else if (std::isinf(x))
      samples[i] = x > 0 ? 1.0f : -1.0f;
  }
}

void convert_frames(const float* stereo, std::size_t frames, DeviceFormat format,
                    int device_channels, std::byte* out) {
  switch (format) {
    case DeviceFormat::Float32:
      if (device_channels == 2)
        std::memcpy(out, stereo, frames * 2 * sizeof(float));
      else
        convert<4, put_float>(stereo, frames, device_channels, out);
      return;
    case DeviceFormat::S32:
      return convert<4, put_integer<32, 4>>(stereo, frames, device_channels, out);
    case DeviceFormat::S24In4:
      return convert<4, put_integer<24, 4>>(stereo, frames, device_channels, out);
    case DeviceFormat::S24Packed:
      return convert<3, put_integer<24, 3>>(stereo, frames, device_channels, out);
    case DeviceFormat::S16:
      return convert<2, put_integer<16, 2>>(stereo, frames, device_channels, out);
  }
}

}  // namespace sonvale::audiolib
