// The built-in Null output, and the order of calls that the ASIO path insists on.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "audiolib/asio.h"
#include "audiolib/wasapi.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::eventually;
using test::Feeder;

int null_output_index() {
  AsioDeviceInfo info;
  for (int i = 0; BASS_ASIO_GetDeviceInfo(i, &info); ++i)
    if (info.name == "Null output") return i;
  return -1;
}

bool start_null_output(Feeder& feeder, double rate) {
  return BASS_ASIO_Init(null_output_index(), kAsioThread) && BASS_ASIO_SetRate(rate) &&
         BASS_ASIO_ChannelEnable(false, 0, &Feeder::asio, &feeder) &&
         BASS_ASIO_ChannelJoin(false, 1, 0) &&
         BASS_ASIO_ChannelSetFormat(false, 0, kAsioFormatFloat) && BASS_ASIO_Start(0);
}

// CTest runs every case in a process of its own: no driver has been added here.
TEST(AsioNullOutput, IsTheLastDriverAndTakesEveryRate) {
  AsioDeviceInfo info;
  const int last = null_output_index();
  ASSERT_GE(last, 0);
  ASSERT_TRUE(BASS_ASIO_GetDeviceInfo(last, &info));
  EXPECT_EQ(info.driver, "null");
  EXPECT_FALSE(BASS_ASIO_GetDeviceInfo(last + 1, &info));
  EXPECT_FALSE(BASS_ASIO_GetDeviceInfo(-1, &info));
  for (int i = 0; i < last; ++i) {  // hardware drivers, where the machine has any
    ASSERT_TRUE(BASS_ASIO_GetDeviceInfo(i, &info));
    EXPECT_NE(info.name.find("(hw:"), std::string::npos) << info.name;
  }
  WasapiDeviceInfo device;
  for (int i = 0; BASS_WASAPI_GetDeviceInfo(i, &device); ++i)
    EXPECT_TRUE(device.flags == 1 || device.flags == 3) << device.name;

  ASSERT_TRUE(BASS_ASIO_Init(last, kAsioThread));
  for (double rate : {1.0, 8000.0, 44100.0, 352800.0, 768000.0, 5644800.0})
    EXPECT_TRUE(BASS_ASIO_CheckRate(rate)) << rate;
  for (double rate : {0.0, -44100.0, 44100.5, 1e12, static_cast<double>(NAN)})
    EXPECT_FALSE(BASS_ASIO_CheckRate(rate)) << rate;
  EXPECT_TRUE(BASS_ASIO_Free());
}

TEST(AsioNullOutput, KeepsRealTimeAndStopsCalling) {
  constexpr double kRate = 48000;
  Feeder feeder(std::vector<float>(2 * 48000 * 10));
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_TRUE(start_null_output(feeder, kRate)) << asio_last_error();
  EXPECT_TRUE(BASS_ASIO_IsStarted());
  ASSERT_TRUE(eventually([&] { return feeder.delivered_bytes() >= 48000 * 8 / 4; }));
  const std::size_t taken = feeder.delivered_bytes();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  // Never ahead of the clock by more than its buffer (four periods of 25 ms) and the
  // period being filled: however slow this machine, that bound holds.
  EXPECT_LE(static_cast<double>(taken), (seconds * kRate + 5 * kRate / 40) * 8);
  EXPECT_EQ(feeder.first_request(), 48000u / 40 * 8);

  ASSERT_TRUE(BASS_ASIO_Stop());
  EXPECT_FALSE(BASS_ASIO_IsStarted());
  const int calls = feeder.calls();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(feeder.calls(), calls);
  EXPECT_TRUE(BASS_ASIO_Free());
}

TEST(AsioNullOutput, StopWaitsForASlowCallbackAndNoCallFollows) {
  Feeder feeder(std::vector<float>(2 * 48000));
  feeder.sleep_ms = 40;
  ASSERT_TRUE(start_null_output(feeder, 44100));
  ASSERT_TRUE(eventually([&] { return feeder.inside(); }));
  ASSERT_TRUE(BASS_ASIO_Stop());
  EXPECT_FALSE(feeder.inside());
  const int calls = feeder.calls();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(feeder.calls(), calls);
  EXPECT_FALSE(BASS_ASIO_IsStarted());

  // A second start on the same driver plays again from where the feed is.
  feeder.sleep_ms = 0;
  ASSERT_TRUE(BASS_ASIO_Start(0));
  EXPECT_TRUE(eventually([&] { return feeder.calls() > calls; }));
  EXPECT_TRUE(BASS_ASIO_Free());
  EXPECT_FALSE(BASS_ASIO_IsStarted());
}

TEST(AsioNullOutput, CallsOutOfTurnFail) {
  Feeder feeder;
  const int null_output = null_output_index();
  EXPECT_FALSE(BASS_ASIO_Start(0));
  EXPECT_FALSE(BASS_ASIO_CheckRate(44100));
  EXPECT_FALSE(BASS_ASIO_ChannelPause(false, 0));
  EXPECT_FALSE(BASS_ASIO_Free());
  EXPECT_FALSE(BASS_ASIO_Init(null_output + 1, kAsioThread));

  ASSERT_TRUE(BASS_ASIO_Init(null_output, kAsioThread));
  EXPECT_FALSE(BASS_ASIO_Init(null_output, kAsioThread));  // one driver at a time
  EXPECT_FALSE(BASS_ASIO_ControlPanel());
  EXPECT_FALSE(BASS_ASIO_Stop());
  EXPECT_FALSE(BASS_ASIO_Start(0));  // no channel enabled
  EXPECT_FALSE(BASS_ASIO_ChannelEnable(true, 0, &Feeder::asio, &feeder));
  EXPECT_FALSE(BASS_ASIO_ChannelEnable(false, 2, &Feeder::asio, &feeder));
  ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &Feeder::asio, &feeder));
  EXPECT_FALSE(BASS_ASIO_Start(0));  // channel 1 not joined: no stereo pair
  EXPECT_FALSE(BASS_ASIO_ChannelJoin(false, 2, 0));
  ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
  EXPECT_FALSE(BASS_ASIO_ChannelSetFormat(false, 0, 16));  // 16-bit integers
  EXPECT_FALSE(BASS_ASIO_ChannelSetVolume(false, 0, 0.5f));
  EXPECT_FALSE(BASS_ASIO_ChannelSetVolume(false, -1, 1.5f));
  EXPECT_FALSE(BASS_ASIO_ChannelSetVolume(false, -1, -0.1f));
  EXPECT_TRUE(BASS_ASIO_ChannelSetVolume(false, -1, 0.0f));

  ASSERT_TRUE(BASS_ASIO_Start(0));
  EXPECT_FALSE(BASS_ASIO_Start(0));
  EXPECT_FALSE(BASS_ASIO_SetRate(96000));  // the rate is fixed while playing
  EXPECT_FALSE(BASS_ASIO_ChannelEnable(false, 0, nullptr, nullptr));
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_TRUE(BASS_ASIO_ChannelReset(false, 0, kAsioResetEnable | kAsioResetJoin));
  EXPECT_FALSE(BASS_ASIO_Start(0));  // disabled again
  EXPECT_TRUE(BASS_ASIO_Free());
  EXPECT_FALSE(BASS_ASIO_Free());
}

}  // namespace
}  // namespace sonvale::audiolib
