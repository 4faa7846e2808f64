#include "audiolib/device_wav_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sonvale::audiolib {
namespace {

std::uint64_t read_le(const std::byte* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= std::to_integer<std::uint64_t>(p[i]) << (8 * i);
  return v;
}

std::string tag(const std::byte* p) { return std::string(reinterpret_cast<const char*>(p), 4); }

TEST(WavHeader, DescribesFloatStereoAtTheOutputRate) {
  const auto h = wav_header(176400, 8000);
  EXPECT_EQ(tag(&h[0]), "RIFF");
  EXPECT_EQ(read_le(&h[4], 4), kWavHeaderBytes - 8 + 8000);
  EXPECT_EQ(tag(&h[8]), "WAVE");
  EXPECT_EQ(tag(&h[12]), "JUNK");
  EXPECT_EQ(tag(&h[48]), "fmt ");
  EXPECT_EQ(read_le(&h[56], 2), 3u);  // IEEE float
  EXPECT_EQ(read_le(&h[58], 2), 2u);
  EXPECT_EQ(read_le(&h[60], 4), 176400u);
  EXPECT_EQ(read_le(&h[64], 4), 176400u * 8);
  EXPECT_EQ(read_le(&h[68], 2), 8u);
  EXPECT_EQ(read_le(&h[70], 2), 32u);
  EXPECT_EQ(tag(&h[74]), "fact");
  EXPECT_EQ(read_le(&h[82], 4), 1000u);
  EXPECT_EQ(tag(&h[86]), "data");
  EXPECT_EQ(read_le(&h[90], 4), 8000u);
}

TEST(WavHeader, BecomesRf64WhenTheSizesNoLongerFit32Bits) {
  // The largest even data chunk whose RIFF size still fits; one more frame does not.
  const std::uint64_t largest = 0xFFFFFFFFull - (kWavHeaderBytes - 8) - 1;
  const auto fits = wav_header(44100, largest);
  EXPECT_EQ(tag(&fits[0]), "RIFF");
  EXPECT_EQ(read_le(&fits[4], 4), 0xFFFFFFFEu);
  EXPECT_EQ(read_le(&fits[90], 4), largest);
  EXPECT_EQ(tag(&wav_header(44100, largest + 8)[0]), "RF64");
  // An odd chunk is padded, and the pad byte counts in the RIFF size.
  EXPECT_EQ(tag(&wav_header(44100, largest + 1)[0]), "RF64");

  const std::uint64_t five_gib = 5ull << 30;
  const auto big = wav_header(44100, five_gib);
  EXPECT_EQ(tag(&big[0]), "RF64");
  EXPECT_EQ(read_le(&big[4], 4), 0xFFFFFFFFu);
  EXPECT_EQ(tag(&big[12]), "ds64");
  EXPECT_EQ(read_le(&big[20], 8), kWavHeaderBytes - 8 + five_gib);
  EXPECT_EQ(read_le(&big[28], 8), five_gib);
  EXPECT_EQ(read_le(&big[36], 8), five_gib / 8);
  EXPECT_EQ(read_le(&big[82], 4), 0xFFFFFFFFu);
  EXPECT_EQ(read_le(&big[90], 4), 0xFFFFFFFFu);
}

TEST(WavFile, WritesExactlyTheBytesAndPadsAnOddDataChunk) {
  char dir_template[] = "/tmp/sonvale-wav-XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  const std::string path = std::string(dir_template) + "/out.wav";
  WavFile file;
  ASSERT_TRUE(file.create(path, 48000).ok());
  const char first[] = "0123456789";
  ASSERT_TRUE(file.write(first, 10).ok());
  ASSERT_TRUE(file.write("abc", 3).ok());
  ASSERT_TRUE(file.finish().ok());

  std::ifstream in(path, std::ios::binary);
  const std::vector<char> raw((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(raw.size(), kWavHeaderBytes + 14);
  const auto* h = reinterpret_cast<const std::byte*>(raw.data());
  EXPECT_EQ(read_le(h + 4, 4), raw.size() - 8);
  EXPECT_EQ(read_le(h + 90, 4), 13u);
  EXPECT_EQ(std::string(raw.data() + kWavHeaderBytes, 13), "0123456789abc");
  EXPECT_EQ(raw.back(), '\0');
  std::remove(path.c_str());
  rmdir(dir_template);

  WavFile nowhere;
  const DeviceStatus refused = nowhere.create("/nonexistent-dir/out.wav", 48000);
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.message.find("/nonexistent-dir/out.wav"), std::string::npos);
}

}  // namespace
}  // namespace sonvale::audiolib
