#include "decoding_test_support.h"

#include <cmath>

namespace sonvale::audiolib {

std::vector<float> read_to_end(Handle stream, std::uint32_t chunk_bytes) {
  std::vector<float> all;
  std::vector<float> chunk(chunk_bytes / sizeof(float));
  for (;;) {
    const std::int32_t got = BASS_ChannelGetData(stream, chunk.data(), chunk_bytes);
    if (got < 0) {
      EXPECT_EQ(BASS_ErrorGetCode(), kErrorEnded);
      break;
    }
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
    EXPECT_EQ(got % 8, 0);
    all.insert(all.end(), chunk.begin(), chunk.begin() + got / 4);
    if (static_cast<std::uint32_t>(got) < chunk_bytes) {
      // A short read only at the end: the next one finds nothing.
      EXPECT_EQ(BASS_ChannelGetData(stream, chunk.data(), chunk_bytes), -1);
      EXPECT_EQ(BASS_ErrorGetCode(), kErrorEnded);
      break;
    }
  }
  return all;
}

int best_lag(const std::vector<float>& decoded, const test::Pcm& reference, int max_lag) {
  const std::int64_t start = reference.frames() / 3, window = 8192;
  const auto frames = static_cast<std::int64_t>(decoded.size() / 2);
  int best = 0;
  double best_score = -1e300;
  for (int lag = -max_lag; lag <= max_lag; ++lag) {
    double score = 0.0;
    for (std::int64_t i = start; i < start + window; ++i) {
      const std::int64_t j = i + lag;
      if (j < 0 || j >= frames) continue;
      score += static_cast<double>(decoded[2 * j]) * reference.as_float(i, 0);
    }
    if (score > best_score) best_score = score, best = lag;
  }
  return best;
}

}  // namespace sonvale::audiolib
