// Broken, mislabelled and vanishing files are refused or end early; never a crash,
// a hang, or samples that were not in the file.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "decoding_test_support.h"

namespace sonvale::audiolib {
namespace {

using CreateCall = Handle (*)(bool, const char*, std::uint64_t, std::uint64_t, std::uint32_t);
const CreateCall kEveryCall[] = {BASS_StreamCreateFile,      BASS_AAC_StreamCreateFile,
                                 BASS_ALAC_StreamCreateFile, BASS_MP4_StreamCreateFile,
                                 BASS_FLAC_StreamCreateFile, BASS_WMA_StreamCreateFile,
                                 BASS_WV_StreamCreateFile};

class HostileInput : public DecodingTest {
 protected:
  // Every creation call refuses the file with `code`.
  void expect_refused(const std::string& path, int code) {
    for (CreateCall create : kEveryCall) {
      EXPECT_EQ(create(false, path.c_str(), 0, 0, kProbeFlags), 0u) << path;
      EXPECT_EQ(BASS_ErrorGetCode(), code) << path;
    }
  }

  // The samples decoded are the reference's first ones, no more than it has.
  void expect_prefix_of_reference(const std::vector<float>& decoded) {
    const auto frames = static_cast<std::int64_t>(decoded.size() / 2);
    ASSERT_LE(frames, reference_.frames());
    for (std::int64_t f = 0; f < frames; ++f)
      for (int c = 0; c < 2; ++c)
        ASSERT_EQ(decoded[2 * f + c], reference_.as_float(f, c)) << "frame " << f;
  }

  static void cut(const std::string& path, double share) {
    const auto size = std::filesystem::file_size(path);
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(static_cast<double>(size) * share));
  }

  test::Pcm reference_ = test::reference_pcm();
};

TEST_F(HostileInput, EmptyMislabelledAndRandomFilesAreRefused) {
  expect_refused(test::write_text(dir_.file("empty.mp3"), ""), kErrorFileFormat);
  std::string text;
  for (int i = 0; i < 300; ++i) text += "A line of text, nothing to hear here.\n";
  expect_refused(test::write_text(dir_.file("text.mp3"), text), kErrorFileFormat);

  std::mt19937 random(7);
  std::string noise(200000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  for (const char* name : {"random.wav", "random.mp3", "random.aac", "random.m4a", "random.flac"})
    expect_refused(test::write_text(dir_.file(name), noise), kErrorFileFormat);
}

TEST_F(HostileInput, FoldersPipesAndMissingFilesAreNotOpened) {
  std::filesystem::create_directory(dir_.file("x.flac"));
  expect_refused(dir_.file("x.flac"), kErrorFileOpen);
  ASSERT_EQ(mkfifo(dir_.file("pipe.mp3").c_str(), 0600), 0);
  expect_refused(dir_.file("pipe.mp3"), kErrorFileOpen);
  expect_refused(dir_.file("missing.wav"), kErrorFileOpen);
  EXPECT_EQ(BASS_StreamCreateFile(false, nullptr, 0, 0, kProbeFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllegalParam);
}

TEST_F(HostileInput, ANameThatIsNotUtf8OpensLikeAnyOther) {
  const std::string wav = dir_.file("plain.wav");
  test::write_wav(wav, reference_);
  const std::string odd = dir_.file("caf\xe9 \xff\xfe.flac");
  ASSERT_TRUE(test::encode(test::Encoder::Flac, wav, odd));
  const Handle stream = BASS_FLAC_StreamCreateFile(false, odd.c_str(), 0, 0, kProbeFlags);
  ASSERT_NE(stream, 0u);
  expect_prefix_of_reference(read_to_end(stream));
  EXPECT_EQ(BASS_ChannelGetPosition(stream, kPositionBytes), reference_.frames() * 8);
  // A name that looks like a network address is still a file name.
  expect_refused(dir_.file("http:evil.mp3"), kErrorFileOpen);
}

TEST_F(HostileInput, FilesCutShortPlayWhatTheyHold) {
  const std::string wav = dir_.file("cut.wav");
  test::write_wav(wav, reference_);
  const std::string flac = test::make_fixture(dir_, "cut.flac", test::Encoder::Flac, reference_);
  cut(wav, 0.5);  // the header still claims every frame
  cut(flac, 0.5);
  const std::pair<std::string, CreateCall> files[] = {{wav, BASS_StreamCreateFile},
                                                      {flac, BASS_FLAC_StreamCreateFile}};
  for (const auto& [path, create] : files) {
    for (std::uint32_t flags : {kProbeFlags, kOpenFlags}) {
      SCOPED_TRACE(path + (flags == kProbeFlags ? " probe flags" : " playback flags"));
      const Handle stream = create(false, path.c_str(), 0, 0, flags);
      ASSERT_NE(stream, 0u);
      const std::vector<float> decoded = read_to_end(stream);
      expect_prefix_of_reference(decoded);
      EXPECT_GT(decoded.size(), 2u * reference_.frames() / 3);  // most of the half that is there
      EXPECT_LT(decoded.size(), 2u * reference_.frames() * 2 / 3);
      // Once the data has ended, the length is what was really there.
      EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), static_cast<std::int64_t>(decoded.size() * 4));
      BASS_StreamFree(stream);
    }
  }
}

std::vector<std::uint8_t> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

std::uint8_t flac_crc8(const std::uint8_t* data, std::size_t size) {
  std::uint8_t crc = 0;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint8_t>(crc & 0x80 ? crc << 1 ^ 0x07 : crc << 1);
  }
  return crc;
}

// The offset and length (without its CRC) of every FLAC frame header of fixed-size
// blocks whose size and rate are coded in the header's own byte, as flac writes them.
std::vector<std::pair<std::size_t, std::size_t>> flac_frame_headers(const std::vector<std::uint8_t>& file) {
  std::vector<std::pair<std::size_t, std::size_t>> headers;
  for (std::size_t i = 0; i + 16 < file.size(); ++i) {
    if (file[i] != 0xFF || file[i + 1] != 0xF8) continue;
    std::size_t size = 5;  // sync, codes, a frame number of one byte
    for (std::uint8_t lead = file[i + 4]; lead & 0x80; lead = static_cast<std::uint8_t>(lead << 1)) ++size;
    if (size > 5) --size;
    if (flac_crc8(&file[i], size) == file[i + size]) headers.emplace_back(i, size);
  }
  return headers;
}

TEST_F(HostileInput, AFrameThatClaimsAnotherRateMidFileIsPassedOver) {
  // FLAC: one frame of 4096 claims 48 kHz, its header's checksum made to match.
  const std::string flac = test::make_fixture(dir_, "rate.flac", test::Encoder::Flac, reference_);
  std::vector<std::uint8_t> bytes = read_bytes(flac);
  const auto headers = flac_frame_headers(bytes);
  ASSERT_GT(headers.size(), 10u);
  const auto [at, size] = headers[5];
  bytes[at + 2] = static_cast<std::uint8_t>((bytes[at + 2] & 0xF0) | 0x0A);
  bytes[at + size] = flac_crc8(&bytes[at], size);
  write_bytes(flac, bytes);
  const Handle stream = BASS_FLAC_StreamCreateFile(false, flac.c_str(), 0, 0, kOpenFlags);
  ASSERT_NE(stream, 0u);
  const std::vector<float> decoded = read_to_end(stream);
  constexpr std::int64_t kBlock = 4096;
  ASSERT_EQ(static_cast<std::int64_t>(decoded.size()) / 2, reference_.frames() - kBlock);
  for (std::int64_t f = 0; f < reference_.frames() - kBlock; ++f) {
    const std::int64_t source = f < 5 * kBlock ? f : f + kBlock;
    ASSERT_EQ(decoded[2 * f], reference_.as_float(source, 0)) << f;
  }
  EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), static_cast<std::int64_t>(decoded.size() * 4));

  // MP3: one frame header's rate bits damaged, two fifths into the file.
  const std::string mp3 = test::make_fixture(dir_, "rate.mp3", test::Encoder::Lame, reference_);
  bytes = read_bytes(mp3);
  std::size_t frame = bytes.size() * 2 / 5;
  while (frame + 4 < bytes.size() && !(bytes[frame] == 0xFF && (bytes[frame + 1] & 0xE0) == 0xE0)) ++frame;
  ASSERT_LT(frame + 4, bytes.size());
  bytes[frame + 2] = static_cast<std::uint8_t>((bytes[frame + 2] & 0xF3) | 0x04);  // 48 kHz
  write_bytes(mp3, bytes);
  for (std::uint32_t flags : {kProbeFlags, kOpenFlags}) {
    const Handle damaged = BASS_StreamCreateFile(false, mp3.c_str(), 0, 0, flags);
    ASSERT_NE(damaged, 0u);
    const std::vector<float> played = read_to_end(damaged);
    EXPECT_GT(static_cast<std::int64_t>(played.size()) / 2, reference_.frames() - 3 * 1152);
    EXPECT_EQ(BASS_ChannelGetLength(damaged, kPositionBytes), static_cast<std::int64_t>(played.size() * 4));
  }
}

TEST_F(HostileInput, AFileCutWhilePlayingEndsEarlyWithoutGarbage) {
  // Long enough that the cut lies beyond what FFmpeg reads ahead while opening.
  reference_ = test::reference_pcm(44100, 2, 16, 10 * 44100);
  const std::string wav = dir_.file("live.wav");
  test::write_wav(wav, reference_);
  const std::string flac = test::make_fixture(dir_, "live.flac", test::Encoder::Flac, reference_);
  const std::pair<std::string, CreateCall> files[] = {{wav, BASS_StreamCreateFile},
                                                      {flac, BASS_FLAC_StreamCreateFile}};
  for (const auto& [path, create] : files) {
    SCOPED_TRACE(path);
    const Handle stream = create(false, path.c_str(), 0, 0, kOpenFlags);
    ASSERT_NE(stream, 0u);
    const std::int64_t claimed = BASS_ChannelGetLength(stream, kPositionBytes);
    EXPECT_EQ(claimed, reference_.frames() * 8);
    std::vector<float> head(2 * 4000);
    ASSERT_EQ(BASS_ChannelGetData(stream, head.data(), 4000 * 8), 4000 * 8);
    cut(path, 0.3);
    std::vector<float> rest = read_to_end(stream, 8 * 1000);
    head.insert(head.end(), rest.begin(), rest.end());
    expect_prefix_of_reference(head);
    EXPECT_LT(static_cast<std::int64_t>(head.size() * 4), claimed);
    EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), static_cast<std::int64_t>(head.size() * 4));
  }
}

}  // namespace
}  // namespace sonvale::audiolib
