// Lengths that the container does not state for the whole stream: MP3s counted from
// their frames, chained Ogg files summed over their links, and a stop that cuts a
// measurement short.

#include <fstream>
#include <iterator>

#include "audiolib/scan_stop.h"
#include "decoding_test_support.h"
#include "support/run_process.h"

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

  std::string encode_with(const std::string& name, const test::Pcm& pcm, std::vector<std::string> command) {
    const std::string wav = dir_.file(".source-" + name + ".wav"), out = dir_.file(name);
    test::write_wav(wav, pcm);
    for (std::string& arg : command) arg = arg == "IN" ? wav : arg == "OUT" ? out : arg;
    EXPECT_EQ(test::run_process(command).exit_code, 0) << name;
    return out;
  }
};

TEST_F(Lengths, Mp3sOfEveryKindAreMeasuredExactly) {
  const test::Pcm stereo = test::reference_pcm(44100, 2, 16, 99'991);
  const test::Pcm mono22 = test::reference_pcm(22050, 1, 16, 30'011);
  const test::Pcm mono8 = test::reference_pcm(8000, 1, 16, 12'345);
  const std::string ffmpeg_mp2[] = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", "IN", "-c:a", "mp2", "-f", "mp2", "OUT"};
  std::vector<std::string> files = {
      test::make_fixture(dir_, "vbr.mp3", Encoder::Lame, stereo),
      encode_with("cbr.mp3", stereo, {"lame", "--quiet", "-b", "128", "IN", "OUT"}),
      encode_with("untagged.mp3", stereo, {"lame", "--quiet", "-t", "-V", "4", "IN", "OUT"}),
      encode_with("id3.mp3", stereo, {"lame", "--quiet", "--add-id3v2", "--tt", "Title", "IN", "OUT"}),
      encode_with("mpeg2.mp3", mono22, {"lame", "--quiet", "-V", "5", "IN", "OUT"}),
      encode_with("mpeg25.mp3", mono8, {"lame", "--quiet", "IN", "OUT"}),
      encode_with("layer2.mp3", stereo, {std::begin(ffmpeg_mp2), std::end(ffmpeg_mp2)}),
  };
  // Bytes after the last frame that are no frame.
  std::ofstream(dir_.file("junk"), std::ios::binary) << std::string(3000, '\x5A');
  files.push_back(join("trailing.mp3", {files[0], dir_.file("junk")}));
  for (const std::string& file : files) {
    expect_length_of_what_plays(file, kProbeFlags);
    expect_length_of_what_plays(file, kOpenFlags);
  }
}

TEST_F(Lengths, AStopCutsAMeasurementShortAndTheNextCallMeasuresAgain) {
  const test::Pcm pcm = test::reference_pcm(44100, 2, 16, 60'000);
  for (const std::string& file : {test::make_fixture(dir_, "a.mp3", Encoder::Lame, pcm),
                                  test::make_fixture(dir_, "a.wma", Encoder::FfmpegWma, pcm)}) {
    SCOPED_TRACE(file);
    const Handle stream = file.ends_with("mp3") ? BASS_StreamCreateFile(false, file.c_str(), 0, 0, kProbeFlags)
                                                : BASS_WMA_StreamCreateFile(false, file.c_str(), 0, 0, kOpenFlags);
    ASSERT_NE(stream, 0u);
    int asked = 0;
    {
      const ScanStop stop([&asked] { return ++asked == 3; });
      EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), -1);
      EXPECT_EQ(BASS_ErrorGetCode(), kErrorStopped);
    }
    EXPECT_EQ(asked, 3);
    {
      const ScanStop go_on([] { return false; });
      EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), static_cast<std::int64_t>(read_to_end(stream).size() * 4));
    }
  }
}

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
