// Every format the player opens, made from one reference signal by its own encoder.

#include <optional>

#include "decoding_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::Encoder;

// The creation calls the player makes for a name ending.
enum class Row { Plain, M4a, Flac, WavPack, Wma };

Handle create_by_row(Row row, const std::string& path, std::uint32_t flags) {
  const char* p = path.c_str();
  switch (row) {
    case Row::Plain: return BASS_StreamCreateFile(false, p, 0, 0, flags);
    case Row::M4a: {
      Handle h = BASS_AAC_StreamCreateFile(false, p, 0, 0, flags);
      if (h == 0) h = BASS_ALAC_StreamCreateFile(false, p, 0, 0, flags);
      if (h == 0) h = BASS_MP4_StreamCreateFile(false, p, 0, 0, flags);
      return h;
    }
    case Row::Flac: return BASS_FLAC_StreamCreateFile(false, p, 0, 0, flags);
    case Row::WavPack: return BASS_WV_StreamCreateFile(false, p, 0, 0, flags);
    case Row::Wma: return BASS_WMA_StreamCreateFile(false, p, 0, 0, flags);
  }
  return 0;
}

enum class Expect {
  BitIdentical,  // lossless: every sample equals the reference's
  ExactFrames,   // lossy with delay and padding recorded: the reference's frame count, in step
  OwnLength,     // lossy without such records: only its own length holds
};

struct FormatCase {
  const char* name;
  const char* file;
  std::optional<Encoder> encoder;  // none: the WAV itself
  int bits;
  Row row;
  std::uint32_t open_flags;  // as the player opens it for playback
  Expect expect;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class Formats : public DecodingTest, public ::testing::WithParamInterface<FormatCase> {
 protected:
  std::string fixture(const test::Pcm& pcm) {
    const FormatCase& c = GetParam();
    if (!c.encoder) {
      const std::string path = dir_.file(c.file);
      test::write_wav(path, pcm);
      return path;
    }
    return test::make_fixture(dir_, c.file, *c.encoder, pcm);
  }
};

TEST_P(Formats, OpenThroughTheirRowAndDecodeToTheirExactLength) {
  const FormatCase& c = GetParam();
  const test::Pcm reference = test::reference_pcm(44100, 2, c.bits);
  const std::string path = fixture(reference);
  ASSERT_FALSE(path.empty()) << "the encoder failed";

  for (std::uint32_t flags : {kProbeFlags, c.open_flags}) {
    SCOPED_TRACE(flags == kProbeFlags ? "probe flags" : "playback flags");
    const Handle stream = create_by_row(c.row, path, flags);
    ASSERT_NE(stream, 0u) << "error " << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
    float rate = 0;
    ASSERT_TRUE(BASS_ChannelGetAttribute(stream, kAttributeRate, &rate));
    EXPECT_EQ(rate, 44100.0f);

    const std::int64_t length = BASS_ChannelGetLength(stream, kPositionBytes);
    const std::vector<float> decoded = read_to_end(stream);
    EXPECT_EQ(static_cast<std::int64_t>(decoded.size() * sizeof(float)), length);
    EXPECT_EQ(BASS_ChannelGetPosition(stream, kPositionBytes), length);
    const auto frames = static_cast<std::int64_t>(decoded.size() / 2);

    switch (c.expect) {
      case Expect::BitIdentical: {
        ASSERT_EQ(frames, reference.frames());
        std::int64_t differing = 0;
        for (std::int64_t f = 0; f < frames; ++f)
          for (int ch = 0; ch < 2; ++ch)
            differing += decoded[static_cast<std::size_t>(2 * f + ch)] != reference.as_float(f, ch);
        EXPECT_EQ(differing, 0);
        break;
      }
      case Expect::ExactFrames:
        EXPECT_EQ(frames, reference.frames());
        EXPECT_EQ(best_lag(decoded, reference, 2500), 0);
        break;
      case Expect::OwnLength:
        EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(reference.frames()), 4096.0);
        break;
    }
    EXPECT_TRUE(BASS_StreamFree(stream));
  }
}

constexpr std::uint32_t kMp3OpenFlags = kFlagDecode | kFlagPrescan | kFlagFloat;

INSTANTIATE_TEST_SUITE_P(
    AllFormats, Formats,
    ::testing::Values(
        FormatCase{"Wav16", "ref16.wav", std::nullopt, 16, Row::Plain, kOpenFlags, Expect::BitIdentical},
        FormatCase{"Wav24", "ref24.wav", std::nullopt, 24, Row::Plain, kOpenFlags, Expect::BitIdentical},
        FormatCase{"Flac", "ref.flac", Encoder::Flac, 16, Row::Flac, kOpenFlags, Expect::BitIdentical},
        FormatCase{"Flac24", "ref24.flac", Encoder::Flac, 24, Row::Flac, kOpenFlags, Expect::BitIdentical},
        FormatCase{"WavPack", "ref.wv", Encoder::WavPack, 16, Row::WavPack, kOpenFlags, Expect::BitIdentical},
        FormatCase{"Alac", "alac.m4a", Encoder::FfmpegAlacM4a, 16, Row::M4a, kOpenFlags, Expect::BitIdentical},
        FormatCase{"Mp3", "ref.mp3", Encoder::Lame, 16, Row::Plain, kMp3OpenFlags, Expect::ExactFrames},
        FormatCase{"AacM4a", "aac.m4a", Encoder::FfmpegAacM4a, 16, Row::M4a, kOpenFlags, Expect::ExactFrames},
        FormatCase{"Ogg", "ref.ogg", Encoder::Oggenc, 16, Row::Plain, kOpenFlags, Expect::ExactFrames},
        FormatCase{"Wma", "ref.wma", Encoder::FfmpegWma, 16, Row::Wma, kOpenFlags, Expect::OwnLength},
        FormatCase{"AdtsAac", "ref.aac", Encoder::FfmpegAdts, 16, Row::M4a, kOpenFlags, Expect::OwnLength}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sonvale::audiolib
