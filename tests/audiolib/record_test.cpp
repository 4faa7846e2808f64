// The recording calls: alsa-lib's file device reading a prepared raw recording, the
// Test loop recording the system sound output, and devices that go away.
#include "audiolib/record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <mutex>
#include <vector>

#include "audiolib/pcm_wav.h"
#include "audiolib/record_catalog.h"
#include "audiolib/system_sound.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::eventually;
using test::TempDir;

// Keeps what a recording delivers, up to `wanted` samples, then declines more.
struct Collector {
  explicit Collector(std::size_t wanted) : wanted(wanted) {}

  static bool take(std::uint32_t, const void* buffer, std::uint32_t length, void* user) {
    auto& c = *static_cast<Collector*>(user);
    std::lock_guard guard(c.lock);
    const auto* samples = static_cast<const float*>(buffer);
    c.largest_block = std::max<std::size_t>(c.largest_block, length);
    c.samples.insert(c.samples.end(), samples, samples + length / 4);
    return c.samples.size() < c.wanted;
  }
  std::vector<float> copy() {
    std::lock_guard guard(lock);
    return samples;
  }

  std::size_t wanted;
  std::mutex lock;
  std::vector<float> samples;
  std::size_t largest_block = 0;
};

void write_bytes(const std::string& path, const void* data, std::size_t bytes) {
  std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
}

std::vector<float> record(int device, std::size_t samples) {
  Collector collector(samples);
  EXPECT_TRUE(BASS_RecordInit(device)) << record_last_error();
  EXPECT_EQ(BASS_RecordGetInputName(0), "Capture");
  EXPECT_FALSE(BASS_RecordGetInputName(1));
  EXPECT_TRUE(BASS_RecordSetInput(0, kRecordInputOn, 0.5f));
  EXPECT_NE(BASS_RecordStart(44100, 2, kRecordFloat, &Collector::take, &collector), 0u) << record_last_error();
  EXPECT_TRUE(eventually([] { return !record_running(); }));
  EXPECT_TRUE(BASS_RecordFree());
  EXPECT_LE(collector.largest_block, 441u * 8) << "about 10 ms a block";
  return collector.copy();
}

// The file device sits on a converter to 16 bits, so it offers integer formats
// only: the recording arrives as the widest, 32 bits, and is converted here.
TEST(RecordAlsa, IntegerFileDeviceRecordsTheRawFileConverted) {
  TempDir dir;
  std::vector<std::int32_t> raw;
  for (int i = 0; i < 30000; ++i) {
    raw.push_back((i - 15000) * 65536);  // 16-bit samples, as the converter would widen them
    raw.push_back(i % 3 == 0 ? INT32_MIN : i % 3 == 1 ? INT32_MAX : i * 40503 - 600'000'000);
  }
  write_bytes(dir.file("in.raw"), raw.data(), raw.size() * 4);
  const std::string s16 = "{ type linear slave { pcm { type null } format S16_LE } }";
  const int device = record_add_pcm_device(
      "take", "take",
      "pcm.take { type file slave.pcm " + s16 + " file \"/dev/null\" infile \"" + dir.file("in.raw") +
          "\" format raw }");

  const std::vector<float> recorded = record(device, raw.size());
  ASSERT_GE(recorded.size(), raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i)
    ASSERT_EQ(recorded[i], static_cast<float>(std::ldexp(static_cast<double>(raw[i]), -31))) << i;
  EXPECT_EQ(recorded[0], -15000 / 32768.0f);
}

TEST(RecordAlsa, FloatFileDeviceRecordsEveryBit) {
  TempDir dir;
  std::vector<float> raw;
  for (int i = 0; i < 20002; ++i) raw.push_back(std::ldexp(static_cast<float>(i) - 9999.5f, -14 + i % 20));
  write_bytes(dir.file("in.raw"), raw.data(), raw.size() * 4);
  const int device = record_add_pcm_device(
      "take", "take",
      "pcm.take { type file slave.pcm { type null } file \"/dev/null\" infile \"" + dir.file("in.raw") +
          "\" format raw }");

  const std::vector<float> recorded = record(device, raw.size());
  ASSERT_GE(recorded.size(), raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) ASSERT_EQ(std::memcmp(&recorded[i], &raw[i], 4), 0) << i;
}

TEST(Record, TheTestLoopFollowsTheCardsWithItsOneInput) {
  RecordDeviceInfo info;
  int test_loop = -1;
  for (int i = 0; BASS_RecordGetDeviceInfo(i, &info); ++i) {
    if (info.name == "Test loop") test_loop = i;
    if (test_loop < 0) {
      EXPECT_NE(info.name.find("(hw:"), std::string::npos) << info.name;
    }
  }
  ASSERT_GE(test_loop, 0);
  EXPECT_FALSE(BASS_RecordGetDeviceInfo(test_loop + 1, &info));
  EXPECT_FALSE(BASS_RecordGetInputName(0));
  EXPECT_EQ(BASS_RecordStart(44100, 2, kRecordFloat, &Collector::take, nullptr), 0u);

  ASSERT_TRUE(BASS_RecordInit(test_loop));
  EXPECT_FALSE(BASS_RecordInit(test_loop));
  ASSERT_TRUE(BASS_RecordGetDeviceInfo(test_loop, &info));
  EXPECT_EQ(info.flags, kRecordDeviceEnabled | kRecordDeviceInitialised);
  EXPECT_EQ(BASS_RecordGetInputName(0), "Test tone");
  EXPECT_FALSE(BASS_RecordGetInputName(1));
  EXPECT_FALSE(BASS_RecordSetInput(1, kRecordInputOn, 1.0f));
  EXPECT_EQ(BASS_RecordStart(48000, 2, kRecordFloat, &Collector::take, nullptr), 0u);
  EXPECT_NE(record_last_error().find("44100"), std::string::npos);
  EXPECT_TRUE(BASS_RecordFree());
  EXPECT_FALSE(BASS_RecordFree());
}

// A 16-bit stereo WAV of 44,100 Hz holding a ramp: frame f is (4 (f + 1), -4 (f + 1)) / 32768.
std::vector<std::uint8_t> ramp_wav(int frames) {
  std::vector<std::uint8_t> wav;
  const auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  const auto u16 = [&](int v) {
    wav.push_back(static_cast<std::uint8_t>(v & 0xFF));
    wav.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  };
  const auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<std::uint8_t>(t[i]));
  };
  tag("RIFF");
  u32(36 + 4 * frames);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(2);
  u32(44100);
  u32(44100 * 4);
  u16(4);
  u16(16);
  tag("data");
  u32(4 * frames);
  for (int f = 0; f < frames; ++f) {
    u16(4 * (f + 1));
    u16(-4 * (f + 1));
  }
  return wav;
}

TEST(PcmWav, ReadsWholeFramesOfWhatTheFileHoldsAndRefusesOtherFormats) {
  std::vector<std::uint8_t> wav = ramp_wav(100);
  wav.resize(wav.size() - 6);  // the data chunk claims 100 frames, 98.5 are there
  const auto sound = read_pcm16_wav(wav);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->rate, 44100u);
  ASSERT_EQ(sound->samples.size(), 2u * 98);
  EXPECT_EQ(sound->samples[194], 4 * 98 / 32768.0f);
  EXPECT_EQ(sound->samples[195], -4 * 98 / 32768.0f);

  std::vector<std::uint8_t> wide = ramp_wav(10);
  wide[34] = 24;  // bits per sample
  EXPECT_FALSE(read_pcm16_wav(wide));
  std::vector<std::uint8_t> no_format = ramp_wav(10);
  no_format[12] = 'x';  // the fmt chunk is not recognised, so the data cannot be read
  EXPECT_FALSE(read_pcm16_wav(no_format));
  EXPECT_FALSE(read_pcm16_wav(std::vector<std::uint8_t>(wav.begin(), wav.begin() + 30)));
  EXPECT_FALSE(read_pcm16_wav({}));
}

int test_loop_index() {
  RecordDeviceInfo info;
  for (int i = 0; BASS_RecordGetDeviceInfo(i, &info); ++i)
    if (info.name == "Test loop") return i;
  return -1;
}

TEST(RecordTestLoop, RecordsWhatTheSystemSoundPlaysTimesTenTimesTheLevelClipped) {
  system_sound_set_device("");  // the silent sink, whatever this machine has
  constexpr int kFrames = 1000;
  ASSERT_TRUE(system_sound_load(0, ramp_wav(kFrames)));
  ASSERT_TRUE(system_sound_play(0, true, 100));
  EXPECT_FALSE(system_sound_audible());

  ASSERT_TRUE(BASS_RecordInit(test_loop_index()));
  ASSERT_TRUE(BASS_RecordSetInput(0, kRecordInputOn, 0.1f));  // as it played
  Collector collector(2 * 44100);
  ASSERT_NE(BASS_RecordStart(44100, 2, kRecordFloat, &Collector::take, &collector), 0u);
  ASSERT_TRUE(eventually([] { return !record_running(); }));
  ASSERT_TRUE(BASS_RecordFree());

  // After the silence before the first period played, the ramp in its loop, frame
  // for frame.
  const std::vector<float> recorded = collector.copy();
  const auto first = std::find_if(recorded.begin(), recorded.end(), [](float x) { return x != 0.0f; });
  ASSERT_NE(first, recorded.end());
  const auto start = static_cast<std::size_t>(first - recorded.begin());
  ASSERT_EQ(start % 2, 0u);
  const int first_frame = static_cast<int>(std::lround(recorded[start] * 32768 / 4)) - 1;
  int checked = 0;
  for (std::size_t i = start; i + 1 < recorded.size() && checked < 3 * kFrames; i += 2, ++checked) {
    const int f = (first_frame + checked) % kFrames;
    ASSERT_EQ(recorded[i], static_cast<float>(4 * (f + 1)) / 32768) << checked;
    ASSERT_EQ(recorded[i + 1], -static_cast<float>(4 * (f + 1)) / 32768) << checked;
  }
  EXPECT_EQ(checked, 3 * kFrames);

  // At full level: ten times as loud, then clipped at full scale.
  ASSERT_TRUE(BASS_RecordInit(test_loop_index()));
  ASSERT_TRUE(BASS_RecordSetInput(0, kRecordInputOn, 1.0f));
  Collector loud(44100);
  ASSERT_NE(BASS_RecordStart(44100, 2, kRecordFloat, &Collector::take, &loud), 0u);
  ASSERT_TRUE(eventually([] { return !record_running(); }));
  ASSERT_TRUE(BASS_RecordFree());
  const std::vector<float> clipped = loud.copy();
  EXPECT_EQ(*std::max_element(clipped.begin(), clipped.end()), 1.0f);
  EXPECT_EQ(*std::min_element(clipped.begin(), clipped.end()), -1.0f);
  EXPECT_NE(std::find(clipped.begin(), clipped.end(), 10.0f * 20 / 32768), clipped.end());

  // Nothing plays: silence.
  system_sound_stop(0);
  ASSERT_TRUE(BASS_RecordInit(test_loop_index()));
  Collector quiet(4410);
  ASSERT_NE(BASS_RecordStart(44100, 2, kRecordFloat, &Collector::take, &quiet), 0u);
  ASSERT_TRUE(eventually([] { return !record_running(); }));
  ASSERT_TRUE(BASS_RecordFree());
  const std::vector<float> silence = quiet.copy();
  EXPECT_TRUE(std::all_of(silence.begin(), silence.end(), [](float x) { return x == 0.0f; }));
  system_sound_free(0);
  EXPECT_FALSE(system_sound_play(0, true, 100));
}

// The calibration turns the level from inside the callback, while the main thread
// may free the device at any moment.
TEST(RecordTestLoop, TheCallbackMaySetTheLevelWhileTheDeviceIsFreed) {
  static std::atomic<int> blocks{0};
  const RecordProc turn = [](std::uint32_t, const void*, std::uint32_t, void*) {
    BASS_RecordSetInput(0, kRecordInputOn, static_cast<float>(++blocks % 10) / 10);
    return true;
  };
  for (int round = 0; round < 5; ++round) {
    ASSERT_TRUE(BASS_RecordInit(test_loop_index()));
    const int before = blocks;
    ASSERT_NE(BASS_RecordStart(44100, 2, kRecordFloat, turn, nullptr), 0u);
    ASSERT_TRUE(eventually([&] { return blocks > before + 2; }));
    ASSERT_TRUE(BASS_RecordFree());
  }
}

// Gives a few periods, then reports the device gone.
class VanishingStream final : public CaptureStream {
 public:
  DeviceStatus open() override { return DeviceStatus::fine(); }
  void close() override {}
  DeviceStatus configure(unsigned, unsigned) override { return DeviceStatus::fine(); }
  unsigned period_frames() const override { return 100; }
  long read(float* stereo, unsigned long frames) override {
    if (++reads_ > 3) return -ENODEV;
    std::fill(stereo, stereo + 2 * frames, 0.25f);
    return static_cast<long>(frames);
  }
  void wait(int) override {}

 private:
  int reads_ = 0;
};

TEST(Record, ADeviceThatGoesAwayEndsTheRecordingAndSaysWhy) {
  const int device = record_add_stream_device("vanishing", [] { return std::make_shared<VanishingStream>(); });
  ASSERT_TRUE(BASS_RecordInit(device));
  EXPECT_EQ(BASS_RecordGetInputName(0), "Capture");
  Collector collector(1'000'000);
  ASSERT_NE(BASS_RecordStart(44100, 2, kRecordFloat, &Collector::take, &collector), 0u);
  EXPECT_TRUE(eventually([] { return !record_running(); }));
  EXPECT_NE(record_last_error().find("vanishing: the device stopped recording"), std::string::npos)
      << record_last_error();
  EXPECT_EQ(collector.copy().size(), 3u * 200);
  EXPECT_TRUE(BASS_RecordFree());
}

}  // namespace
}  // namespace sonvale::audiolib
