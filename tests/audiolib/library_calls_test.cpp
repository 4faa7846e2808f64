// The contract of the calls themselves: handles, error codes, flags, and which call
// opens which content.

#include <thread>

#include "decoding_test_support.h"

namespace sonvale::audiolib {
namespace {

class LibraryCalls : public DecodingTest {
 protected:
  std::string wav() {
    const std::string path = dir_.file("ref.wav");
    test::write_wav(path, test::reference_pcm(44100, 2, 16, 20000));
    return path;
  }
};

TEST(LibraryLifetime, InitOnceOnDeviceZeroAndFreeDropsEveryStream) {
  test::TempDir dir;
  const std::string path = dir.file("a.wav");
  test::write_wav(path, test::reference_pcm(44100, 2, 16, 1000));

  EXPECT_EQ(BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorInit);
  EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
  ASSERT_TRUE(BASS_Init(0, 48000, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
  EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorAlready);

  const Handle stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
  ASSERT_NE(stream, 0u);
  EXPECT_TRUE(BASS_Free());
  EXPECT_FALSE(BASS_Free());
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorInit);
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
  BASS_Free();
}

TEST_F(LibraryCalls, ErrorCodesBelongToTheCallingThreadAndClearOnSuccess) {
  const std::string path = wav();
  EXPECT_FALSE(BASS_StreamFree(0));
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
  int other_thread_code = -1;
  std::thread([&] {
    other_thread_code = BASS_ErrorGetCode();
    BASS_StreamFree(12345);
  }).join();
  EXPECT_EQ(other_thread_code, kErrorOk);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);  // the other thread's failure is its own

  const Handle stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
  EXPECT_GE(BASS_StreamGetFilePosition(stream, kFilePositionCurrent), 0);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
  EXPECT_TRUE(BASS_StreamFree(stream));
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);

  // A freed handle is dead for every call; its number is not handed out again soon.
  EXPECT_EQ(BASS_StreamGetFilePosition(stream, kFilePositionCurrent), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
  float value = 0;
  EXPECT_FALSE(BASS_ChannelGetAttribute(stream, kAttributeRate, &value));
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
  EXPECT_FALSE(BASS_StreamFree(stream));
  const Handle next = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
  EXPECT_NE(next, 0u);
  EXPECT_NE(next, stream);
}

TEST_F(LibraryCalls, ArgumentsOutsideTheContractAreRefused) {
  const std::string path = wav();
  const char* p = path.c_str();
  EXPECT_EQ(BASS_StreamCreateFile(false, p, 0, 0, kFlagDecode), 0u);       // 16-bit output
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllegalParam);
  EXPECT_EQ(BASS_StreamCreateFile(false, p, 0, 0, kFlagFloat), 0u);        // a playing stream
  EXPECT_EQ(BASS_StreamCreateFile(false, p, 0, 0, kOpenFlags | 4), 0u);   // unknown flag
  EXPECT_EQ(BASS_StreamCreateFile(false, p, 44, 0, kOpenFlags), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(true, p, 0, 100, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllegalParam);

  const Handle stream = BASS_StreamCreateFile(false, p, 0, 0, kOpenFlags);
  ASSERT_NE(stream, 0u);
  float value = 0;
  EXPECT_FALSE(BASS_ChannelGetAttribute(stream, 2, &value));
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllegalType);
  EXPECT_EQ(BASS_ChannelGetLength(stream, 1), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllegalType);
  EXPECT_EQ(BASS_ChannelGetData(stream, nullptr, 800), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllegalParam);
}

TEST_F(LibraryCalls, GetDataDeliversWholeFramesAndEndsWith45) {
  const Handle stream = BASS_StreamCreateFile(false, wav().c_str(), 0, 0, kOpenFlags);
  ASSERT_NE(stream, 0u);
  std::vector<float> buffer(2 * 20000);
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer.data(), 4), 0);  // less than a frame
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer.data(), 12), 8);
  // Counts that straddle the decoder's blocks come back whole.
  std::int64_t read = 8;
  for (std::uint32_t frames : {1u, 4095u, 4097u, 1234u}) {
    EXPECT_EQ(BASS_ChannelGetData(stream, buffer.data(), frames * 8), static_cast<std::int32_t>(frames * 8));
    read += frames * 8;
  }
  EXPECT_EQ(BASS_ChannelGetPosition(stream, kPositionBytes), read);
  const std::int64_t length = BASS_ChannelGetLength(stream, kPositionBytes);
  EXPECT_EQ(length, 20000 * 8);
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer.data(), 20000 * 8), length - read);
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer.data(), 8), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorEnded);
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer.data(), 0), -1);  // still ended
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorEnded);
}

TEST_F(LibraryCalls, EachCreationCallOpensOnlyItsOwnFormat) {
  const test::Pcm pcm = test::reference_pcm(44100, 2, 16, 20000);
  const std::string wav_file = dir_.file("a.wav");
  test::write_wav(wav_file, pcm);
  struct File {
    std::string path;
    std::vector<Handle (*)(bool, const char*, std::uint64_t, std::uint64_t, std::uint32_t)> opened_by;
  };
  const File files[] = {
      {wav_file, {BASS_StreamCreateFile}},
      {test::make_fixture(dir_, "a.mp3", test::Encoder::Lame, pcm), {BASS_StreamCreateFile}},
      {test::make_fixture(dir_, "a.ogg", test::Encoder::Oggenc, pcm), {BASS_StreamCreateFile}},
      {test::make_fixture(dir_, "aac.m4a", test::Encoder::FfmpegAacM4a, pcm),
       {BASS_AAC_StreamCreateFile, BASS_MP4_StreamCreateFile}},
      {test::make_fixture(dir_, "alac.m4a", test::Encoder::FfmpegAlacM4a, pcm),
       {BASS_ALAC_StreamCreateFile, BASS_MP4_StreamCreateFile}},
      {test::make_fixture(dir_, "a.aac", test::Encoder::FfmpegAdts, pcm), {BASS_AAC_StreamCreateFile}},
      {test::make_fixture(dir_, "a.flac", test::Encoder::Flac, pcm), {BASS_FLAC_StreamCreateFile}},
      {test::make_fixture(dir_, "a.wma", test::Encoder::FfmpegWma, pcm), {BASS_WMA_StreamCreateFile}},
      {test::make_fixture(dir_, "a.wv", test::Encoder::WavPack, pcm), {BASS_WV_StreamCreateFile}},
  };
  const std::pair<const char*, Handle (*)(bool, const char*, std::uint64_t, std::uint64_t, std::uint32_t)>
      calls[] = {{"plain", BASS_StreamCreateFile}, {"AAC", BASS_AAC_StreamCreateFile},
                 {"ALAC", BASS_ALAC_StreamCreateFile}, {"MP4", BASS_MP4_StreamCreateFile},
                 {"FLAC", BASS_FLAC_StreamCreateFile}, {"WMA", BASS_WMA_StreamCreateFile},
                 {"WV", BASS_WV_StreamCreateFile}};
  for (const File& file : files) {
    ASSERT_FALSE(file.path.empty());
    for (const auto& [name, call] : calls) {
      const bool expected = std::find(file.opened_by.begin(), file.opened_by.end(), call) != file.opened_by.end();
      const Handle stream = call(false, file.path.c_str(), 0, 0, kOpenFlags);
      EXPECT_EQ(stream != 0, expected) << name << " call on " << file.path;
      EXPECT_EQ(BASS_ErrorGetCode(), expected ? kErrorOk : kErrorFileFormat) << name << " " << file.path;
      if (stream != 0) BASS_StreamFree(stream);
    }
  }
}

// One thread reads a stream while another opens and frees others and finally frees
// the one being read: the reader sees whole reads, then a dead handle.
TEST_F(LibraryCalls, StreamsAreReadWhileOthersOpenAndClose) {
  const std::string path = dir_.file("long.wav");
  test::write_wav(path, test::reference_pcm(44100, 2, 16, 200000));
  const Handle playing = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
  ASSERT_NE(playing, 0u);

  std::int64_t bytes_read = 0;
  int short_reads = 0;
  int last_code = kErrorOk;
  std::thread reader([&] {
    std::vector<float> chunk(2 * 500);
    for (;;) {
      const std::int32_t got = BASS_ChannelGetData(playing, chunk.data(), 500 * 8);
      if (got < 0) {
        last_code = BASS_ErrorGetCode();
        break;
      }
      short_reads += got < 500 * 8;
      bytes_read += got;
    }
  });
  for (int i = 0; i < 40; ++i) {
    const Handle other = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
    EXPECT_NE(other, 0u);
    std::vector<float> some(2 * 100);
    EXPECT_EQ(BASS_ChannelGetData(other, some.data(), 800), 800);
    EXPECT_TRUE(BASS_StreamFree(other));
  }
  EXPECT_TRUE(BASS_StreamFree(playing));
  reader.join();
  EXPECT_LE(short_reads, 1);
  EXPECT_TRUE(last_code == kErrorHandle || last_code == kErrorEnded);
  EXPECT_LE(bytes_read, 200000 * 8);
}

}  // namespace
}  // namespace sonvale::audiolib
