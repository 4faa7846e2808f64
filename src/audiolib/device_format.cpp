#include "audiolib/device_format.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace sonvale::audiolib {
namespace {

// The integer nearest to x scaled to `bits`, kept inside the format's range.
std::int32_t to_integer(float x, int bits) {
  const double full_scale = std::ldexp(1.0, bits - 1);
  const double v = std::nearbyint(static_cast<double>(x) * full_scale);
  if (std::isnan(v)) return 0;
  if (v < -full_scale) return static_cast<std::int32_t>(-full_scale);
  if (v > full_scale - 1) return static_cast<std::int32_t>(full_scale - 1);
  return static_cast<std::int32_t>(v);
}

void put_little_endian(std::byte* out, std::int32_t value, int bytes) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::byte>((bits >> (8 * i)) & 0xFF);
}

void put_sample(std::byte* out, float x, DeviceFormat format) {
  switch (format) {
    case DeviceFormat::Float32:
      std::memcpy(out, &x, sizeof x);
      return;
    case DeviceFormat::S32:
      put_little_endian(out, to_integer(x, 32), 4);
      return;
    case DeviceFormat::S24In4:
      put_little_endian(out, to_integer(x, 24), 4);  // sign-extended into the top byte
      return;
    case DeviceFormat::S24Packed:
      put_little_endian(out, to_integer(x, 24), 3);
      return;
    case DeviceFormat::S16:
      put_little_endian(out, to_integer(x, 16), 2);
      return;
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

const char* format_name(DeviceFormat format) {
  switch (format) {
    case DeviceFormat::Float32:
      return "FLOAT_LE";
    case DeviceFormat::S32:
      return "S32_LE";
    case DeviceFormat::S24In4:
      return "S24_LE";
    case DeviceFormat::S24Packed:
      return "S24_3LE";
    case DeviceFormat::S16:
      return "S16_LE";
  }
  return "?";
}

void convert_frames(const float* stereo, std::size_t frames, DeviceFormat format,
                    int device_channels, std::byte* out) {
  const int sample_bytes = bytes_per_sample(format);
  if (format == DeviceFormat::Float32 && device_channels == 2) {
    std::memcpy(out, stereo, frames * 2 * sizeof(float));
    return;
  }
  const std::size_t silent_bytes = static_cast<std::size_t>(device_channels - 2) * sample_bytes;
  for (std::size_t i = 0; i < frames; ++i) {
    put_sample(out, stereo[2 * i], format);
    put_sample(out + sample_bytes, stereo[2 * i + 1], format);
    out += 2 * sample_bytes;
    std::memset(out, 0, silent_bytes);
    out += silent_bytes;
  }
}

}  // namespace sonvale::audiolib
