#include "audiolib/device_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

namespace sonvale::audiolib {
namespace {

// Converts one stereo frame (x, x) and reads back the left sample as a signed integer.
std::int64_t device_value(float x, DeviceFormat format) {
  std::byte out[8]{};
  const float frame[2] = {x, x};
  convert_frames(frame, 1, format, 2, out);
  const int bytes = bytes_per_sample(format);
  std::uint32_t bits = 0;
  for (int i = 0; i < bytes; ++i) bits |= std::to_integer<std::uint32_t>(out[i]) << (8 * i);
  const int width = 8 * bytes;
  std::int64_t value = bits;
  if (width < 64 && (value >> (width - 1)) != 0) value -= std::int64_t{1} << width;
  return value;
}

// Every integer of `bits` bits, as float, through `format`; returns the first mismatch.
std::int64_t first_integer_not_returned(int bits, DeviceFormat format, int shift) {
  const std::int64_t lowest = -(std::int64_t{1} << (bits - 1));
  const double scale = std::ldexp(1.0, -(bits - 1));
  std::vector<float> frames;
  std::vector<std::byte> out;
  constexpr std::int64_t kChunk = 1 << 16;
  for (std::int64_t first = lowest; first < -lowest; first += kChunk) {
    frames.clear();
    for (std::int64_t v = first; v < first + kChunk && v < -lowest; ++v) {
      frames.push_back(static_cast<float>(static_cast<double>(v) * scale));
      frames.push_back(static_cast<float>(static_cast<double>(-1 - v) * scale));
    }
    const std::size_t count = frames.size() / 2;
    const int width = bytes_per_sample(format);
    out.assign(count * 2 * width, std::byte{0});
    convert_frames(frames.data(), count, format, 2, out.data());
    for (std::size_t i = 0; i < count * 2; ++i) {
      std::uint32_t raw = 0;
      for (int b = 0; b < width; ++b)
        raw |= std::to_integer<std::uint32_t>(out[i * width + b]) << (8 * b);
      std::int64_t got = raw;
      if ((got >> (8 * width - 1)) != 0) got -= std::int64_t{1} << (8 * width);
      const std::int64_t v = first + static_cast<std::int64_t>(i / 2);
      const std::int64_t expected = (i % 2 == 0 ? v : -1 - v) * (std::int64_t{1} << shift);
      if (got != expected) return expected;
    }
  }
  return std::numeric_limits<std::int64_t>::min();
}

constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();

TEST(DeviceFormat, EveryIntegerOfAtMost24BitsReturnsExactly) {
  EXPECT_EQ(first_integer_not_returned(16, DeviceFormat::S16, 0), kNone);
  EXPECT_EQ(first_integer_not_returned(16, DeviceFormat::S24Packed, 8), kNone);
  EXPECT_EQ(first_integer_not_returned(16, DeviceFormat::S32, 16), kNone);
  EXPECT_EQ(first_integer_not_returned(24, DeviceFormat::S24In4, 0), kNone);
  EXPECT_EQ(first_integer_not_returned(24, DeviceFormat::S24Packed, 0), kNone);
  EXPECT_EQ(first_integer_not_returned(24, DeviceFormat::S32, 8), kNone);
}

TEST(DeviceFormat, ClipsOnlyBeyondFullScale) {
  const float below_one = std::nextafter(1.0f, 0.0f);
  EXPECT_EQ(device_value(32767.0f / 32768, DeviceFormat::S16), 32767);
  EXPECT_EQ(device_value(-1.0f, DeviceFormat::S16), -32768);
  EXPECT_EQ(device_value(1.0f, DeviceFormat::S16), 32767);
  EXPECT_EQ(device_value(1.5f, DeviceFormat::S16), 32767);
  EXPECT_EQ(device_value(-1.0001f, DeviceFormat::S16), -32768);
  EXPECT_EQ(device_value(below_one, DeviceFormat::S32), 2147483520);  // exact, not clipped
  EXPECT_EQ(device_value(-1.0f, DeviceFormat::S32), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(device_value(1.0f, DeviceFormat::S32), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(device_value(-7.0f, DeviceFormat::S32), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(device_value(2.0f, DeviceFormat::S24In4), 8388607);
  EXPECT_EQ(device_value(-2.0f, DeviceFormat::S24Packed), -8388608);
  EXPECT_EQ(device_value(INFINITY, DeviceFormat::S24Packed), 8388607);
  EXPECT_EQ(device_value(-INFINITY, DeviceFormat::S16), -32768);
  EXPECT_EQ(device_value(NAN, DeviceFormat::S32), 0);
}

TEST(DeviceFormat, RoundsToNearestWithoutDither) {
  // Values between two 16-bit steps: nearest, ties to the even neighbour.
  EXPECT_EQ(device_value(100.25f / 32768, DeviceFormat::S16), 100);
  EXPECT_EQ(device_value(-100.75f / 32768, DeviceFormat::S16), -101);
  EXPECT_EQ(device_value(100.5f / 32768, DeviceFormat::S16), 100);
  EXPECT_EQ(device_value(101.5f / 32768, DeviceFormat::S16), 102);
  // The same value always gives the same result: no noise is added.
  std::set<std::int64_t> seen;
  for (int i = 0; i < 100; ++i) seen.insert(device_value(0.123456f, DeviceFormat::S16));
  EXPECT_EQ(seen.size(), 1u);
}

TEST(DeviceFormat, WritesLittleEndianAndSilencesChannelsPastThePair) {
  const float frames[4] = {0x123456 / 8388608.0f, -1.0f / 8388608, 0.5f, -0.25f};
  std::byte packed[12];
  convert_frames(frames, 2, DeviceFormat::S24Packed, 2, packed);
  const std::byte expected[6] = {std::byte{0x56}, std::byte{0x34}, std::byte{0x12},
                                 std::byte{0xFF}, std::byte{0xFF}, std::byte{0xFF}};
  EXPECT_EQ(std::memcmp(packed, expected, 6), 0);

  // Four device channels: the pair, then two silent channels, frame after frame.
  std::int16_t wide[8];
  convert_frames(frames, 2, DeviceFormat::S16, 4, reinterpret_cast<std::byte*>(wide));
  EXPECT_EQ(wide[0], 0x1234);
  EXPECT_EQ(wide[1], 0);  // -1/2^23 rounds to 0 at 16 bits
  EXPECT_EQ(wide[2], 0);
  EXPECT_EQ(wide[3], 0);
  EXPECT_EQ(wide[4], 16384);
  EXPECT_EQ(wide[5], -8192);
  EXPECT_EQ(wide[6], 0);
  EXPECT_EQ(wide[7], 0);

  // Float keeps every bit, also on a wider device.
  const float odd[2] = {-0.0f, std::numeric_limits<float>::denorm_min()};
  float out[4] = {1, 1, 1, 1};
  convert_frames(odd, 1, DeviceFormat::Float32, 4, reinterpret_cast<std::byte*>(out));
  EXPECT_EQ(std::memcmp(out, odd, sizeof odd), 0);
  EXPECT_EQ(out[2], 0.0f);
  EXPECT_EQ(out[3], 0.0f);
}

// Recording: every integer a device of up to 24 bits records becomes the float that
// the playback conversion turns back into that same integer.
TEST(DeviceFormat, RecordedIntegersBecomeTheFloatsThatPlayBackAsThem) {
  struct Case {
    DeviceFormat format;
    int bits;
  };
  for (const Case c : {Case{DeviceFormat::S16, 16}, Case{DeviceFormat::S24In4, 24}, Case{DeviceFormat::S24Packed, 24}}) {
    SCOPED_TRACE(c.bits);
    const int width = bytes_per_sample(c.format);
    const std::int64_t lowest = -(std::int64_t{1} << (c.bits - 1));
    std::vector<std::byte> device;
    std::vector<std::int64_t> values;
    for (std::int64_t v = lowest; v < -lowest; v += c.bits == 16 ? 1 : 97) {
      values.push_back(v);
      for (int b = 0; b < width; ++b) device.push_back(static_cast<std::byte>((v >> (8 * b)) & 0xFF));
    }
    values.push_back(-lowest - 1);
    for (int b = 0; b < width; ++b) device.push_back(static_cast<std::byte>(((-lowest - 1) >> (8 * b)) & 0xFF));
    // Mono: each sample goes to both sides.
    std::vector<float> stereo(2 * values.size());
    convert_to_stereo(device.data(), values.size(), c.format, 1, stereo.data());
    std::vector<std::byte> back(values.size() * 2 * width);
    convert_frames(stereo.data(), values.size(), c.format, 2, back.data());
    for (std::size_t i = 0; i < values.size(); ++i) {
      ASSERT_EQ(stereo[2 * i], static_cast<float>(std::ldexp(static_cast<double>(values[i]), 1 - c.bits))) << values[i];
      ASSERT_EQ(stereo[2 * i + 1], stereo[2 * i]);
      ASSERT_EQ(std::memcmp(&back[2 * i * width], &device[i * width], width), 0) << values[i];
    }
  }
}

TEST(DeviceFormat, RecordsThirtyTwoBitsRoundedAndLeavesChannelsPastThePairOut) {
  const std::int32_t s32[8] = {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 1,
                               -1, 0x40000000, 0x7FFFFF80, 5, 6};
  float stereo[4];
  // Four device channels: only the first two of each frame are recorded.
  convert_to_stereo(reinterpret_cast<const std::byte*>(s32), 2, DeviceFormat::S32, 4, stereo);
  EXPECT_EQ(stereo[0], -1.0f);
  EXPECT_EQ(stereo[1], 1.0f);  // 2^31 - 1 rounds to the nearest float, full scale
  EXPECT_EQ(stereo[2], 0.5f);
  EXPECT_EQ(stereo[3], std::nextafter(1.0f, 0.0f));

  const float floats[6] = {-0.0f, std::numeric_limits<float>::denorm_min(), 9.0f, 0.25f, -0.5f, 7.0f};
  convert_to_stereo(reinterpret_cast<const std::byte*>(floats), 2, DeviceFormat::Float32, 3, stereo);
  EXPECT_EQ(std::memcmp(&stereo[0], &floats[0], 8), 0);
  EXPECT_EQ(stereo[2], 0.25f);
  EXPECT_EQ(stereo[3], -0.5f);
}

}  // namespace
}  // namespace sonvale::audiolib
