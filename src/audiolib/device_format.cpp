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

// One little-endian integer of `Bits` bits in `Bytes` bytes (the top bytes of a wider
// container are ignored), scaled to full scale 1.0.
template <int Bits, int Bytes>
float get_integer(const std::byte* in) {
  std::uint32_t bits = 0;
  for (int i = 0; i < Bytes; ++i) bits |= static_cast<std::uint32_t>(in[i]) << (8 * i);
  const int shift = 32 - Bits;  // sign-extends from bit Bits - 1
  const auto value = static_cast<std::int32_t>(bits << shift) >> shift;
  constexpr double kFullScale = static_cast<double>(std::int64_t{1} << (Bits - 1));
  return static_cast<float>(static_cast<double>(value) / kFullScale);
}

float get_float(const std::byte* in) {
  float x = 0;
  std::memcpy(&x, in, sizeof x);
  return x;
}

template <int SampleBytes, float (*Get)(const std::byte*)>
void convert_in(const std::byte* in, std::size_t frames, int device_channels, float* stereo) {
  const std::size_t right = device_channels > 1 ? SampleBytes : 0;
  for (std::size_t i = 0; i < frames; ++i) {
    stereo[2 * i] = Get(in);
    stereo[2 * i + 1] = Get(in + right);
    in += static_cast<std::size_t>(device_channels) * SampleBytes;
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

void convert_to_stereo(const std::byte* in, std::size_t frames, DeviceFormat format,
                       int device_channels, float* stereo) {
  switch (format) {
    case DeviceFormat::Float32:
      if (device_channels == 2)
        std::memcpy(stereo, in, frames * 2 * sizeof(float));
      else
        convert_in<4, get_float>(in, frames, device_channels, stereo);
      return;
    case DeviceFormat::S32:
      return convert_in<4, get_integer<32, 4>>(in, frames, device_channels, stereo);
    case DeviceFormat::S24In4:
      return convert_in<4, get_integer<24, 3>>(in, frames, device_channels, stereo);
    case DeviceFormat::S24Packed:
      return convert_in<3, get_integer<24, 3>>(in, frames, device_channels, stereo);
    case DeviceFormat::S16:
      return convert_in<2, get_integer<16, 2>>(in, frames, device_channels, stereo);
  }
}

}  // namespace sonvale::audiolib
