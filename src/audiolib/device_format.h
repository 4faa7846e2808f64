#pragma once

#include <array>
#include <cstddef>

namespace sonvale::audiolib {

// Sample formats a device may take at its interface. The player's own samples are
// 32-bit float; an integer format is reached by an exact conversion at the device.
enum class DeviceFormat {
  Float32,    // FLOAT_LE
  S32,        // S32_LE
  S24In4,     // S24_LE: 24 bits in the low three bytes of four
  S24Packed,  // S24_3LE
  S16,        // S16_LE
};

// The order in which formats are chosen when a device offers several.
inline constexpr std::array<DeviceFormat, 5> kPreferredFormats{
    DeviceFormat::Float32, DeviceFormat::S32, DeviceFormat::S24In4, DeviceFormat::S24Packed,
    DeviceFormat::S16};

int bytes_per_sample(DeviceFormat format);

// Makes every sample one that a device can play: NaN becomes 0 and an infinity full
// scale of its sign, as the integer conversions below make them. Finite samples are
// left as they are, also beyond full scale.
void guard_non_finite(float* samples, std::size_t count);

// Writes `frames` stereo float frames as `device_channels` channels of `format`: left
// and right go to the first two channels, any further channel gets silence. Float
// passes unchanged. For integers a sample is scaled by 2^(bits-1) and rounded to
// nearest (ties to even), so a float that came from an integer of at most 24 bits
// returns to that integer; only values beyond full scale are clipped; NaN becomes 0.
// No dither. `device_channels` is at least 2.
void convert_frames(const float* stereo, std::size_t frames, DeviceFormat format,
                    int device_channels, std::byte* out);

// The reverse, for what a capture device recorded: `frames` frames of
// `device_channels` channels of `format` as stereo float. Integers are divided by
// 2^(bits-1), exact up to 24 bits, so that a recorded integer is the float that
// convert_frames turns back into it; 32-bit integers are rounded to the nearest
// float. A single channel goes to both sides; channels past the second are left out.
void convert_to_stereo(const std::byte* in, std::size_t frames, DeviceFormat format,
                       int device_channels, float* stereo);

}  // namespace sonvale::audiolib
