// The unlisted render driver: the feed as fast as it delivers, into a float WAV.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "audiolib/device_wav_file.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::eventually;
using test::read_file;
using test::TempDir;

std::byte pattern(std::size_t i) { return static_cast<std::byte>((i * 7 + 3) % 251); }

// Answers with a scripted number of bytes per call (0 = nothing yet), each byte the
// next of a pattern, then nothing for ever.
struct ScriptedFeed {
  std::vector<std::uint32_t> answers;
  std::atomic<std::size_t> calls{0};
  std::size_t position = 0;  // driver thread only; read after Stop

  static std::uint32_t feed(bool, std::uint32_t, void* buffer, std::uint32_t length, void* user) {
    auto& self = *static_cast<ScriptedFeed*>(user);
    const std::size_t call = self.calls++;
    if (call >= self.answers.size()) return 0;
    const std::uint32_t answer = std::min(self.answers[call], length);
    auto* out = static_cast<std::byte*>(buffer);
    for (std::uint32_t i = 0; i < answer; ++i) out[i] = pattern(self.position + i);
    self.position += answer;
    return answer;
  }
};

std::uint32_t read_u32(const std::vector<std::byte>& file, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= std::to_integer<std::uint32_t>(file[at + i]) << (8 * i);
  return v;
}

TEST(AsioRender, WritesExactlyTheDeliveredBytesIntoAFloatWav) {
  TempDir dir;
  const std::string path = dir.file("out.wav");
  const int driver = asio_add_render_driver(path);
  AsioDeviceInfo info;
  EXPECT_FALSE(BASS_ASIO_GetDeviceInfo(driver, &info));  // not among the devices

  ScriptedFeed feed;
  feed.answers = {0, 8, 0, 0, 4096, 12, 1 << 20, 0, 524288, 3, 8000};
  ASSERT_TRUE(BASS_ASIO_Init(driver, kAsioThread)) << asio_last_error();
  EXPECT_TRUE(BASS_ASIO_CheckRate(352800));
  ASSERT_TRUE(BASS_ASIO_SetRate(192000));
  ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &ScriptedFeed::feed, &feed));
  ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
  ASSERT_TRUE(BASS_ASIO_Start(0));
  // Past the script it keeps asking, about every millisecond.
  EXPECT_TRUE(eventually([&] { return feed.calls >= feed.answers.size() + 3; }));
  ASSERT_TRUE(BASS_ASIO_Stop());
  EXPECT_TRUE(BASS_ASIO_Free());

  const auto file = read_file(path);
  const std::size_t delivered = feed.position;
  EXPECT_EQ(delivered, 8u + 4096 + 12 + 524288 + 524288 + 3 + 8000);  // requests are 512 KiB
  ASSERT_EQ(file.size(), kWavHeaderBytes + delivered + (delivered & 1));
  const auto header = wav_header(192000, delivered);
  EXPECT_EQ(std::memcmp(file.data(), header.data(), header.size()), 0);
  EXPECT_EQ(read_u32(file, 60), 192000u);
  EXPECT_EQ(read_u32(file, 90), delivered);
  for (std::size_t i = 0; i < delivered; ++i) ASSERT_EQ(file[kWavHeaderBytes + i], pattern(i)) << i;
}

TEST(AsioRender, AnUnwritablePathFailsInit) {
  TempDir dir;
  for (const std::string& path : {std::string("/nonexistent-dir/out.wav"), dir.file("")}) {
    const int driver = asio_add_render_driver(path);
    EXPECT_FALSE(BASS_ASIO_Init(driver, kAsioThread));
    EXPECT_NE(asio_last_error().find(path + ": cannot create"), std::string::npos) << asio_last_error();
  }
}

// The file is made when playback starts: a start that fails before leaves no file,
// and a file that was there as it was.
TEST(AsioRender, TakingTheDriverMakesAndChangesNoFile) {
  TempDir dir;
  const std::string fresh = dir.file("fresh.wav"), kept = dir.file("kept.wav");
  std::ofstream(kept, std::ios::binary) << "not to be touched";
  for (const std::string& path : {fresh, kept}) {
    ASSERT_TRUE(BASS_ASIO_Init(asio_add_render_driver(path), kAsioThread)) << asio_last_error();
    EXPECT_TRUE(BASS_ASIO_CheckRate(44100));
    EXPECT_TRUE(BASS_ASIO_Free());
  }
  EXPECT_FALSE(std::filesystem::exists(fresh));
  const auto bytes = read_file(kept);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()), "not to be touched");
}

TEST(AsioRender, SamplesThatAreNotNumbersAreWrittenAsSilenceOrFullScale) {
  TempDir dir;
  const std::string path = dir.file("out.wav");
  const std::vector<float> source = {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::infinity(), 1.5f};
  test::Feeder feeder(source);
  ASSERT_TRUE(BASS_ASIO_Init(asio_add_render_driver(path), kAsioThread));
  ASSERT_TRUE(BASS_ASIO_SetRate(44100));
  ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &test::Feeder::asio, &feeder));
  ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
  ASSERT_TRUE(BASS_ASIO_Start(0));
  EXPECT_TRUE(eventually([&] { return feeder.exhausted(); }));
  ASSERT_TRUE(BASS_ASIO_Stop());
  EXPECT_TRUE(BASS_ASIO_Free());
  const auto file = read_file(path);
  ASSERT_EQ(file.size(), kWavHeaderBytes + source.size() * 4);
  std::vector<float> written(source.size());
  std::memcpy(written.data(), file.data() + kWavHeaderBytes, file.size() - kWavHeaderBytes);
  EXPECT_EQ(written, (std::vector<float>{0.0f, -1.0f, 1.0f, 1.5f}));
}

}  // namespace
}  // namespace sonvale::audiolib
