// Sources that are not 44.1 kHz 16-bit stereo still arrive as stereo float at their
// own rate.

#include <fstream>
#include <limits>

#include "audiolib/stereo_mix.h"
#include "decoding_test_support.h"

namespace sonvale::audiolib {
namespace {

class Sources : public DecodingTest {
 protected:
  std::vector<float> decode_wav(const test::Pcm& pcm) {
    const std::string path = dir_.file("source.wav");
    test::write_wav(path, pcm);
    const Handle stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
    EXPECT_NE(stream, 0u);
    std::vector<float> decoded = read_to_end(stream);
    EXPECT_EQ(static_cast<std::int64_t>(decoded.size()), 2 * pcm.frames());
    return decoded;
  }

  float rate_of(const std::string& path, Handle (*create)(bool, const char*, std::uint64_t,
                                                          std::uint64_t, std::uint32_t)) {
    const Handle stream = create(false, path.c_str(), 0, 0, kOpenFlags);
    EXPECT_NE(stream, 0u);
    float rate = 0;
    BASS_ChannelGetAttribute(stream, kAttributeRate, &rate);
    const std::int64_t length = BASS_ChannelGetLength(stream, kPositionBytes);
    EXPECT_EQ(static_cast<std::int64_t>(read_to_end(stream).size() * 4), length);
    return rate;
  }
};

TEST_F(Sources, MonoAndEightBitPlayOnBothSidesExactly) {
  for (int bits : {16, 8}) {
    SCOPED_TRACE(bits);
    const test::Pcm mono = test::reference_pcm(44100, 1, bits, 5000);
    const std::vector<float> decoded = decode_wav(mono);
    for (std::int64_t f = 0; f < 5000; ++f) {
      ASSERT_EQ(decoded[2 * f], mono.as_float(f, 0)) << f;
      ASSERT_EQ(decoded[2 * f + 1], mono.as_float(f, 0)) << f;
    }
  }
  const test::Pcm stereo8 = test::reference_pcm(44100, 2, 8, 5000);
  const std::vector<float> decoded = decode_wav(stereo8);
  for (std::int64_t f = 0; f < 5000; ++f) {
    ASSERT_EQ(decoded[2 * f], stereo8.as_float(f, 0)) << f;
    ASSERT_EQ(decoded[2 * f + 1], stereo8.as_float(f, 1)) << f;
  }
}

TEST_F(Sources, FivePointOneIsMixedToStereoByTheDocumentedMatrix) {
  const test::Pcm surround = test::reference_pcm(48000, 6, 16, 5000);  // FL FR FC LFE BL BR
  const std::vector<float> decoded = decode_wav(surround);
  const double k = 0.70710678118654752, sum = 1.0 + 2.0 * k;
  for (std::int64_t f = 0; f < 5000; ++f) {
    auto x = [&](int c) { return static_cast<double>(surround.as_float(f, c)); };
    ASSERT_NEAR(decoded[2 * f], (x(0) + k * x(2) + k * x(4)) / sum, 1e-6) << f;
    ASSERT_NEAR(decoded[2 * f + 1], (x(1) + k * x(2) + k * x(5)) / sum, 1e-6) << f;
  }
}

TEST_F(Sources, HighAndLowRatesReportTheirOwnRate) {
  const test::Pcm high = test::reference_pcm(96000, 2, 24, 20000);
  const std::string flac = test::make_fixture(dir_, "high.flac", test::Encoder::Flac, high);
  EXPECT_EQ(rate_of(flac, BASS_FLAC_StreamCreateFile), 96000.0f);

  const test::Pcm low = test::reference_pcm(22050, 2, 16, 20000);
  const std::string mp3 = test::make_fixture(dir_, "low.mp3", test::Encoder::Lame, low);
  EXPECT_EQ(rate_of(mp3, BASS_StreamCreateFile), 22050.0f);
}

// A WAV file of IEEE floats (format 3), 32- or 64-bit, stereo.
template <typename Sample>
void write_float_wav(const std::string& path, int rate, const std::vector<Sample>& samples) {
  std::ofstream out(path, std::ios::binary);
  auto put = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i) & 0xFF));
  };
  const auto data = static_cast<std::uint32_t>(samples.size() * sizeof(Sample));
  out.write("RIFF", 4);
  put(4 + 24 + 8 + data, 4);
  out.write("WAVEfmt ", 8);
  put(16, 4);
  put(3, 2);
  put(2, 2);
  put(static_cast<std::uint32_t>(rate), 4);
  put(static_cast<std::uint32_t>(rate) * 2 * sizeof(Sample), 4);
  put(2 * sizeof(Sample), 2);
  put(8 * sizeof(Sample), 2);
  out.write("data", 4);
  put(data, 4);
  out.write(reinterpret_cast<const char*>(samples.data()), data);
}

TEST_F(Sources, FloatSamplesThatAreNotNumbersArriveAsSilence) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const std::vector<float> floats = {0.5f, std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, 1.5f, -0.25f};
  const std::vector<double> doubles = {0.5, std::numeric_limits<double>::quiet_NaN(), 1e300, -1e300, 1.5, -0.25};
  const std::vector<float> expected = {0.5f, 0.0f, 0.0f, 0.0f, 1.5f, -0.25f};
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "64-bit" : "32-bit");
    const std::string path = dir_.file(wide ? "f64.wav" : "f32.wav");
    if (wide)
      write_float_wav(path, 44100, doubles);
    else
      write_float_wav(path, 44100, floats);
    const Handle stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(read_to_end(stream), expected);
  }
}

TEST_F(Sources, RatesNoSoundCardPlaysAreRefused) {
  for (int rate : {1, 7999, 8000, 768000, 768001}) {
    SCOPED_TRACE(rate);
    const std::string path = dir_.file(std::to_string(rate) + ".wav");
    test::write_wav(path, test::reference_pcm(rate, 2, 16, 200));
    const bool playable = rate >= kLowestSampleRate && rate <= kHighestSampleRate;
    const Handle stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kProbeFlags);
    EXPECT_EQ(stream != 0, playable);
    EXPECT_EQ(BASS_ErrorGetCode(), playable ? kErrorOk : kErrorSampleRate);
  }
  // A FLAC file whose stream information claims the highest rate it can write.
  const std::string flac = test::make_fixture(dir_, "fast.flac", test::Encoder::Flac, test::reference_pcm(44100, 2, 16, 5000));
  std::fstream file(flac, std::ios::in | std::ios::out | std::ios::binary);
  char rate_bits[3];
  file.seekg(18);  // "fLaC", a block header, then 10 bytes before the 20-bit rate
  file.read(rate_bits, 3);
  rate_bits[0] = rate_bits[1] = static_cast<char>(0xFF);
  rate_bits[2] = static_cast<char>(rate_bits[2] | 0xF0);
  file.seekp(18);
  file.write(rate_bits, 3);
  file.close();
  EXPECT_EQ(BASS_FLAC_StreamCreateFile(false, flac.c_str(), 0, 0, kProbeFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorSampleRate);
}

TEST(StereoMix, IntegerSamplesBecomeFloatsWithoutRounding) {
  const std::uint8_t u8[] = {0, 128, 255, 1};
  const std::int16_t s16[] = {-32768, 32767, 1, -1};
  const std::int32_t s32[] = {INT32_MIN, 0x7FFFFF00, 0x100, -0x100};  // 24-bit values, shifted up
  const float expected[][4] = {{-1.0f, 0.0f, 127.0f / 128, -127.0f / 128},
                               {-1.0f, 32767.0f / 32768, 1.0f / 32768, -1.0f / 32768},
                               {-1.0f, 8388607.0f / 8388608, 1.0f / 8388608, -1.0f / 8388608}};
  const void* data[] = {u8, s16, s32};
  const SampleType types[] = {SampleType::U8, SampleType::S16, SampleType::S32};
  for (int t = 0; t < 3; ++t) {
    const auto* plane = static_cast<const std::uint8_t*>(data[t]);
    const SampleBlock block{types[t], false, 2, 2, &plane};
    float out[4];
    to_stereo(block, {}, out);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], expected[t][i]) << t << " " << i;
  }
}

TEST(StereoMix, DownMixNeverExceedsTheLoudestChannel) {
  const Speaker layout[] = {Speaker::FrontLeft, Speaker::FrontRight, Speaker::Centre,
                            Speaker::Lfe, Speaker::SurroundLeft, Speaker::SurroundRight,
                            Speaker::SurroundLeft, Speaker::SurroundRight};  // 7.1
  const StereoMatrix m = downmix_matrix(layout);
  double left = 0, right = 0;
  for (int c = 0; c < 8; ++c) left += m.left[c], right += m.right[c];
  EXPECT_DOUBLE_EQ(left, 1.0);
  EXPECT_DOUBLE_EQ(right, 1.0);
  EXPECT_EQ(m.left[3], 0.0);   // LFE
  EXPECT_EQ(m.left[1], 0.0);   // nothing of the right front on the left
  EXPECT_EQ(m.left[2], m.right[2]);

  // Planar full-scale input of every channel gives full scale, not more.
  std::vector<float> ones(8, 1.0f);
  std::vector<const std::uint8_t*> planes;
  for (float& one : ones) planes.push_back(reinterpret_cast<const std::uint8_t*>(&one));
  const SampleBlock block{SampleType::F32, true, 8, 1, planes.data()};
  float out[2];
  to_stereo(block, m, out);
  EXPECT_NEAR(out[0], 1.0f, 1e-6);
  EXPECT_NEAR(out[1], 1.0f, 1e-6);
}

}  // namespace
}  // namespace sonvale::audiolib
