#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "audiolib/bass.h"
#include "support/audio_fixtures.h"

namespace sonvale::audiolib {

inline constexpr std::uint32_t kProbeFlags = kFlagDecode | kFlagPrescan | kFlagFloat;  // 0x220100
inline constexpr std::uint32_t kOpenFlags = kFlagDecode | kFlagFloat;                  // 0x200100

// Reads a stream to its end in chunks of `chunk_bytes`, checking on the way that
// every read but the last delivers the full count and that the end reads as 45.
std::vector<float> read_to_end(Handle stream, std::uint32_t chunk_bytes = 8 * 4099);

// The lag (within ±max_lag frames) at which `decoded` best matches the reference on
// the left channel: 0 when encoder delay was trimmed exactly.
int best_lag(const std::vector<float>& decoded, const test::Pcm& reference, int max_lag);

// The library initialised for each test and freed after it, fixtures in a temp dir.
class DecodingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(BASS_Init(0, 48000, 0, nullptr, nullptr)); }
  void TearDown() override { BASS_Free(); }

  test::TempDir dir_;
};

}  // namespace sonvale::audiolib
