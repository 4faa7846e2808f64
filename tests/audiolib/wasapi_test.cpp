// The WASAPI path: float into a device that ALSA converts for, never resampled.
#include "audiolib/wasapi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "audiolib/device_catalog.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::eventually;
using test::Feeder;
using test::read_file;
using test::TempDir;

// A 16-bit 48 kHz device behind a converting plugin, recording what reaches it.
std::string sixteen_bit_device(const std::string& file) {
  return "pcm.dac { type plug slave { pcm " + test::file_device(file) +
         " format S16_LE rate 48000 } }";
}

TEST(Wasapi, ConvertsTheFormatButNeverTheRate) {
  TempDir dir;
  const std::string out = dir.file("out.raw");
  const int device = wasapi_add_pcm_device("Test DAC", "dac", sixteen_bit_device(out));
  WasapiDeviceInfo info;
  ASSERT_TRUE(BASS_WASAPI_GetDeviceInfo(device, &info));
  EXPECT_EQ(info.name, "Test DAC");
  EXPECT_EQ(info.flags, kWasapiDeviceEnabled);

  Feeder feeder;
  EXPECT_EQ(BASS_WASAPI_CheckFormat(device, 44100, 2, kWasapiExclusive), -1);
  EXPECT_FALSE(
      BASS_WASAPI_Init(device, 44100, 2, kWasapiExclusive, 0.2f, 0, &Feeder::wasapi, &feeder));
  EXPECT_NE(wasapi_last_error().find("44100"), std::string::npos);
  EXPECT_EQ(BASS_WASAPI_CheckFormat(device, 48000, 1, kWasapiExclusive), -1);
  EXPECT_EQ(BASS_WASAPI_CheckFormat(device, 48000, 2, 0), -1);  // shared mode
  EXPECT_EQ(BASS_WASAPI_CheckFormat(device, 48000, 2, kWasapiExclusive), kWasapiFormatFloat);
}

TEST(Wasapi, PlaysEachSixteenBitSampleExactly) {
  TempDir dir;
  const std::string out = dir.file("out.raw");
  const int device = wasapi_add_pcm_device("Test DAC", "dac", sixteen_bit_device(out));
  std::vector<float> source;
  for (int s = -32768; s < 32768; ++s) source.push_back(static_cast<float>(s) / 32768);
  Feeder feeder(source);

  ASSERT_TRUE(
      BASS_WASAPI_Init(device, 48000, 2, kWasapiExclusive, 0.2f, 0, &Feeder::wasapi, &feeder))
      << wasapi_last_error();
  EXPECT_FALSE(BASS_WASAPI_Init(device, 48000, 2, kWasapiExclusive, 0.2f, 0, &Feeder::wasapi,
                                &feeder));       // one device at a time
  EXPECT_FALSE(BASS_WASAPI_SetVolume(0, 1.0f));  // only the linear curve
  ASSERT_TRUE(BASS_WASAPI_SetVolume(kWasapiCurveLinear, 1.0f));
  ASSERT_TRUE(BASS_WASAPI_Start());
  EXPECT_TRUE(BASS_WASAPI_IsStarted());
  EXPECT_TRUE(eventually([&] { return feeder.calls_since_exhausted() >= 2; }));
  // A quarter of the 0.2 s buffer per request.
  EXPECT_EQ(feeder.first_request(), 2400u * 8);
  EXPECT_TRUE(BASS_WASAPI_Stop(true));
  EXPECT_FALSE(BASS_WASAPI_IsStarted());
  EXPECT_TRUE(BASS_WASAPI_Free());

  const auto captured = read_file(out);
  ASSERT_GE(captured.size(), source.size() * 2);
  std::vector<std::int16_t> played(source.size());
  std::memcpy(played.data(), captured.data(), played.size() * 2);
  for (int s = -32768; s < 32768; ++s)
    ASSERT_EQ(played[static_cast<std::size_t>(s + 32768)], s) << s;
}

}  // namespace
}  // namespace sonvale::audiolib
