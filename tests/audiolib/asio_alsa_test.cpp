// The ASIO path playing into alsa-lib's own file device: what the device received
// is what the file holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::capture_config;
using test::eventually;
using test::Feeder;
using test::read_file;
using test::TempDir;

// Plays the whole source through `driver`, stops once the device has taken two
// further periods of silence, and lets the driver go.
void play_all(int driver, Feeder& feeder, unsigned rate, float volume = 1.0f) {
  ASSERT_TRUE(BASS_ASIO_Init(driver, kAsioThread)) << asio_last_error();
  ASSERT_TRUE(BASS_ASIO_CheckRate(rate)) << asio_last_error();
  ASSERT_TRUE(BASS_ASIO_SetRate(rate));
  ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &Feeder::asio, &feeder));
  ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
  ASSERT_TRUE(BASS_ASIO_ChannelSetFormat(false, 0, kAsioFormatFloat));
  ASSERT_TRUE(BASS_ASIO_ChannelSetVolume(false, -1, volume));
  ASSERT_TRUE(BASS_ASIO_Start(0)) << asio_last_error();
  EXPECT_TRUE(eventually([&] { return feeder.calls_since_exhausted() >= 2; }));
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_FALSE(BASS_ASIO_IsStarted());
  EXPECT_TRUE(BASS_ASIO_ChannelReset(false, 0, kAsioResetEnable | kAsioResetJoin));
  EXPECT_TRUE(BASS_ASIO_Free());
}

std::vector<float> random_samples(std::size_t frames) {
  std::vector<float> samples = {
      -0.0f, std::numeric_limits<float>::denorm_min(), 1.0f, -1.0f, std::nextafter(1.0f, 0.0f),
      1e-30f};
  std::mt19937 random(5);
  std::uniform_real_distribution<float> value(-2.0f, 2.0f);
  while (samples.size() < 2 * frames) samples.push_back(value(random));
  return samples;
}

bool all_zero(const std::byte* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != std::byte{0}) return false;
  return true;
}

TEST(AsioAlsa, FloatDeviceReceivesTheSamplesBitForBit) {
  TempDir dir;
  const int driver =
      asio_add_pcm_driver("capture", "capture", capture_config("capture", dir.file("out.raw")));
  const std::vector<float> source = random_samples(10001);
  Feeder feeder(source);
  play_all(driver, feeder, 44100);

  const auto captured = read_file(dir.file("out.raw"));
  const std::size_t bytes = source.size() * sizeof(float);
  ASSERT_GE(captured.size(), bytes + feeder.first_request());
  EXPECT_EQ(std::memcmp(captured.data(), source.data(), bytes), 0);
  // The short last answer and the empty ones after it played as silence.
  EXPECT_TRUE(all_zero(captured.data() + bytes, captured.size() - bytes));
  EXPECT_EQ(captured.size() % feeder.first_request(), 0u);
}

// NaN and infinities stop at the device: silence and full scale, in float as the
// integer formats have them.
TEST(AsioAlsa, SamplesThatAreNotNumbersReachTheDeviceAsSilenceOrFullScale) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const std::vector<float> source = {std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, 1.5f, -0.25f, 0.5f};
  TempDir dir;
  const int float_driver =
      asio_add_pcm_driver("capture", "capture", capture_config("capture", dir.file("float.raw")));
  const std::string s32_only = "{ type linear slave { pcm { type null } format S32_LE } }";
  const int s32_driver =
      asio_add_pcm_driver("s32", "s32", capture_config("s32", dir.file("s32.raw"), s32_only));
  for (float volume : {1.0f, 0.5f}) {
    SCOPED_TRACE(volume);
    Feeder to_float(source), to_s32(source);
    play_all(float_driver, to_float, 44100, volume);
    play_all(s32_driver, to_s32, 44100, volume);
    const auto floats = read_file(dir.file("float.raw"));
    const auto s32 = read_file(dir.file("s32.raw"));
    ASSERT_GE(floats.size(), source.size() * 4);
    ASSERT_GE(s32.size(), source.size() * 4);
    std::vector<float> played(source.size());
    std::memcpy(played.data(), floats.data(), played.size() * 4);
    EXPECT_EQ(played, (std::vector<float>{0.0f, 1.0f, -1.0f, 1.5f * volume, -0.25f * volume, 0.5f * volume}));
    std::int32_t integers[3];
    std::memcpy(integers, s32.data(), sizeof integers);
    EXPECT_EQ(integers[0], 0);
    EXPECT_EQ(integers[1], std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(integers[2], std::numeric_limits<std::int32_t>::min());
  }
}

TEST(AsioAlsa, S32DeviceReceivesEachSixteenBitSampleTimes65536) {
  TempDir dir;
  const std::string s32_only = "{ type linear slave { pcm { type null } format S32_LE } }";
  const int driver =
      asio_add_pcm_driver("s32", "s32", capture_config("s32", dir.file("out.raw"), s32_only));
  std::vector<float> source;
  for (int s = -32768; s < 32768; ++s) source.push_back(static_cast<float>(s) / 32768);
  for (float beyond : {1.0f, 1.5f, -1.5f, -1.0f}) source.push_back(beyond);
  Feeder feeder(source);
  play_all(driver, feeder, 48000);

  const auto captured = read_file(dir.file("out.raw"));
  ASSERT_GE(captured.size(), source.size() * 4);
  std::vector<std::int32_t> values(source.size());
  std::memcpy(values.data(), captured.data(), values.size() * 4);
  for (int s = -32768; s < 32768; ++s)
    ASSERT_EQ(values[static_cast<std::size_t>(s + 32768)], s * 65536) << s;
  const std::size_t end = 65536;
  EXPECT_EQ(values[end], std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(values[end + 1], std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(values[end + 2], std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(values[end + 3], std::numeric_limits<std::int32_t>::min());
}

TEST(AsioAlsa, MasterVolumeHalvesAtOneHalf) {
  TempDir dir;
  const int driver =
      asio_add_pcm_driver("capture", "capture", capture_config("capture", dir.file("out.raw")));
  const std::vector<float> source = random_samples(6000);
  Feeder feeder(source);
  play_all(driver, feeder, 96000, 0.5f);

  const auto captured = read_file(dir.file("out.raw"));
  ASSERT_GE(captured.size(), source.size() * 4);
  std::vector<float> played(source.size());
  std::memcpy(played.data(), captured.data(), source.size() * 4);
  for (std::size_t i = 0; i < source.size(); ++i) ASSERT_EQ(played[i], source[i] * 0.5f) << i;
}

// Fills every request completely with the call's number, but answers short.
struct ShortAnswers {
  std::atomic<int> calls{0};

  static std::uint32_t feed(bool, std::uint32_t, void* buffer, std::uint32_t length, void* user) {
    const int call = static_cast<ShortAnswers*>(user)->calls++;
    auto* samples = static_cast<float*>(buffer);
    for (std::uint32_t i = 0; i < length / 4; ++i) samples[i] = static_cast<float>(call + 1);
    return answer(call, length);
  }
  static std::uint32_t answer(int call, std::uint32_t length) {
    switch (call % 3) {
      case 0:
        return length / 2 + 4;  // half, and half a frame more
      case 1:
        return length + 64;  // more than was asked for
      default:
        return 0;
    }
  }
};

TEST(AsioAlsa, ShortAnswersPlayAsSilenceForTheRestOfThePeriod) {
  TempDir dir;
  const int driver =
      asio_add_pcm_driver("capture", "capture", capture_config("capture", dir.file("out.raw")));
  ShortAnswers feeder;
  ASSERT_TRUE(BASS_ASIO_Init(driver, kAsioThread));
  ASSERT_TRUE(BASS_ASIO_SetRate(44100));
  ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &ShortAnswers::feed, &feeder));
  ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
  ASSERT_TRUE(BASS_ASIO_Start(1000));
  EXPECT_TRUE(eventually([&] { return feeder.calls >= 8; }));
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_TRUE(BASS_ASIO_Free());

  const auto captured = read_file(dir.file("out.raw"));
  const std::size_t period = 1000 * 8;
  ASSERT_EQ(captured.size() % period, 0u);
  ASSERT_GE(captured.size() / period, 6u);
  for (std::size_t call = 0; call < captured.size() / period; ++call) {
    const std::size_t kept =
        std::min<std::size_t>(ShortAnswers::answer(static_cast<int>(call), period), period) / 8 * 8;
    std::vector<float> expected(period / 4, 0.0f);
    std::fill(expected.begin(), expected.begin() + static_cast<long>(kept / 4),
              static_cast<float>(call + 1));
    EXPECT_EQ(std::memcmp(captured.data() + call * period, expected.data(), period), 0)
        << "period " << call;
  }
}

TEST(AsioAlsa, PausePlaysSilenceWithoutCallingAndResumesWhereItLeft) {
  TempDir dir;
  const std::string out = dir.file("out.raw");
  const int driver = asio_add_pcm_driver("capture", "capture", capture_config("capture", out));
  std::vector<float> ramp(80000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i + 1) / (1 << 17);
  Feeder feeder(ramp);
  feeder.limit(3 * 4000);
  ASSERT_TRUE(BASS_ASIO_Init(driver, kAsioThread));
  ASSERT_TRUE(BASS_ASIO_SetRate(48000));
  ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &Feeder::asio, &feeder));
  ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
  ASSERT_TRUE(BASS_ASIO_Start(500));
  ASSERT_TRUE(eventually([&] { return feeder.delivered_bytes() == 3 * 4000; }));

  ASSERT_TRUE(BASS_ASIO_ChannelPause(false, 0));
  const int calls_at_pause = feeder.calls();
  const std::size_t size_at_pause = test::file_size(out);
  // The device goes on: the file grows by ten periods of silence meanwhile.
  EXPECT_TRUE(eventually([&] { return test::file_size(out) >= size_at_pause + 10 * 4000; }));
  EXPECT_EQ(feeder.calls(), calls_at_pause);
  EXPECT_TRUE(BASS_ASIO_IsStarted());

  feeder.limit(SIZE_MAX);
  ASSERT_TRUE(BASS_ASIO_ChannelReset(false, 0, kAsioResetPause));
  EXPECT_TRUE(eventually([&] { return feeder.calls_since_exhausted() >= 2; }));
  EXPECT_GT(feeder.calls(), calls_at_pause);
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_TRUE(BASS_ASIO_Free());

  // Nothing lost, nothing repeated.
  const auto captured = read_file(out);
  std::vector<float> played(captured.size() / 4);
  std::memcpy(played.data(), captured.data(), played.size() * 4);
  std::vector<float> sound;
  for (float x : played)
    if (x != 0.0f) sound.push_back(x);
  EXPECT_EQ(sound, ramp);
}

TEST(AsioAlsa, RefusedRatesAndUnusableDevicesFailTheirCall) {
  // A device that plays 48000 Hz only: nothing resamples for it.
  const int fixed = asio_add_pcm_driver(
      "fixed", "fixed", "pcm.fixed { type plug slave { pcm { type null } rate 48000 } }");
  ASSERT_TRUE(BASS_ASIO_Init(fixed, kAsioThread));
  EXPECT_TRUE(BASS_ASIO_CheckRate(48000));
  EXPECT_FALSE(BASS_ASIO_CheckRate(44100));
  EXPECT_NE(asio_last_error().find("44100"), std::string::npos);
  EXPECT_FALSE(BASS_ASIO_SetRate(44100));
  EXPECT_FALSE(BASS_ASIO_CheckRate(48000.5));
  EXPECT_TRUE(BASS_ASIO_Free());

  // A device that takes none of our formats (mu-law only) plays no rate at all.
  const int mu_law = asio_add_pcm_driver(
      "mu-law", "mulaw", "pcm.mulaw { type mulaw slave { pcm { type null } format S16_LE } }");
  ASSERT_TRUE(BASS_ASIO_Init(mu_law, kAsioThread));
  EXPECT_FALSE(BASS_ASIO_CheckRate(48000));
  EXPECT_TRUE(BASS_ASIO_Free());

  const int missing = asio_add_pcm_driver("missing", "hw:97,0");
  EXPECT_FALSE(BASS_ASIO_Init(missing, kAsioThread));
  EXPECT_NE(asio_last_error().find("hw:97,0"), std::string::npos);
  EXPECT_FALSE(BASS_ASIO_IsStarted());
}

}  // namespace
}  // namespace sonvale::audiolib
