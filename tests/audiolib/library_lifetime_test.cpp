// A stream still in use on one thread while another frees the library and
// initialises it again for the next playback (a stream release given up at stop,
// a slow read): each keeps its stream until its call returns, and neither touches
// the streams of the next playback.

#include <atomic>
#include <thread>

#include "decoding_test_support.h"

namespace sonvale::audiolib {
namespace {

TEST_F(DecodingTest, AStreamInUseOutlivesFreeAndInitAndLeavesTheNextStreamsAlone) {
  const std::string path = dir_.file("long.wav");
  test::write_wav(path, test::reference_pcm(44100, 2, 16, 300'000));
  const Handle old_stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
  ASSERT_NE(old_stream, 0u);

  std::atomic<bool> reading{false};
  int short_reads = 0;
  int end_code = kErrorOk;
  std::thread reader([&] {
    std::vector<float> chunk(2 * 1000);
    for (;;) {
      const std::int32_t got = BASS_ChannelGetData(old_stream, chunk.data(), 1000 * 8);
      reading = true;
      if (got < 0) {
        end_code = BASS_ErrorGetCode();
        return;
      }
      short_reads += got < 1000 * 8;
    }
  });
  while (!reading.load()) std::this_thread::yield();

  // The next playback: the library freed and initialised again, a new stream opened.
  ASSERT_TRUE(BASS_Free());
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
  const Handle new_stream = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kOpenFlags);
  ASSERT_NE(new_stream, 0u);
  EXPECT_NE(new_stream, old_stream);
  // A free of the old handle that comes late finds nothing to free.
  std::thread late_free([&] { EXPECT_FALSE(BASS_StreamFree(old_stream)); });
  late_free.join();
  reader.join();

  EXPECT_LE(short_reads, 1);
  EXPECT_TRUE(end_code == kErrorHandle || end_code == kErrorEnded);
  const std::vector<float> whole = read_to_end(new_stream);
  EXPECT_EQ(whole.size(), 2u * 300'000);
}

}  // namespace
}  // namespace sonvale::audiolib
