// Lengths that the container does not state for the whole stream: chained Ogg files
// summed over their links.

#include <fstream>

#include "decoding_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::Encoder;

class Lengths : public DecodingTest {
 protected:
  std::vector<float> decode(const std::string& path, std::uint32_t flags = kOpenFlags) {
    const Handle stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, flags);
    EXPECT_NE(stream, 0u) << path << ": " << BASS_ErrorGetCode();
    std::vector<float> decoded = read_to_end(stream);
    BASS_StreamFree(stream);
    return decoded;
  }

  // Measures the length first, then reads the stream to its end.
  void expect_length_of_what_plays(const std::string& path, std::uint32_t flags) {
    SCOPED_TRACE(path);
    const Handle stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, flags);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    const std::int64_t length = BASS_ChannelGetLength(stream, kPositionBytes);
    EXPECT_EQ(length, static_cast<std::int64_t>(read_to_end(stream).size() * sizeof(float)));
    BASS_StreamFree(stream);
  }

  std::string join(const std::string& name, const std::vector<std::string>& parts) {
    const std::string path = dir_.file(name);
    std::ofstream out(path, std::ios::binary);
    for (const std::string& part : parts) out << std::ifstream(part, std::ios::binary).rdbuf();
    return path;
  }
};

TEST_F(Lengths, ChainedOggPlaysEveryLinkUntilOneAtAnotherRate) {
  const std::string stereo = test::make_fixture(dir_, "stereo.ogg", Encoder::Oggenc, test::reference_pcm(44100, 2, 16, 30'011));
  const std::string mono = test::make_fixture(dir_, "mono.ogg", Encoder::Oggenc, test::reference_pcm(44100, 1, 16, 20'021));
  const std::string other = test::make_fixture(dir_, "48k.ogg", Encoder::Oggenc, test::reference_pcm(48000, 2, 16, 9'000));
  const std::vector<float> a = decode(stereo), b = decode(mono);
  ASSERT_EQ(a.size(), 2u * 30'011);
  ASSERT_EQ(b.size(), 2u * 20'021);

  std::vector<float> expected = a;
  expected.insert(expected.end(), b.begin(), b.end());
  expected.insert(expected.end(), a.begin(), a.end());
  const std::string chain = join("chain.ogg", {stereo, mono, stereo});
  const std::string cut = join("cut.ogg", {stereo, other, mono});
  for (std::uint32_t flags : {kProbeFlags, kOpenFlags}) {
    EXPECT_EQ(decode(chain, flags), expected);
    expect_length_of_what_plays(chain, flags);
    EXPECT_EQ(decode(cut, flags), a);
    expect_length_of_what_plays(cut, flags);
  }
}

}  // namespace
}  // namespace sonvale::audiolib
