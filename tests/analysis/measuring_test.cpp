// Filters whose responses every textbook gives, through the code that measures the
// engine.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/response.h"
#include "analysis/tones.h"

namespace sonvale::analysis {
namespace {

constexpr double kRate = 44'100;

double db(double x) { return 20 * std::log10(x); }

TEST(Measuring, ADelayIsFlatLinearPhaseAndLateByItsLength) {
  const ResponseFigures f = measure_response({{1.0}, 7, 1}, kRate);
  EXPECT_NEAR(f.ripple_db, 0.0, 1e-9);
  EXPECT_FALSE(f.minus_3db_hz);
  EXPECT_NEAR(f.at_source_nyquist_db, 0.0, 1e-9);
  EXPECT_FALSE(f.image_band_db);
  EXPECT_NEAR(f.delay_frames, 7.0, 1e-9);
  EXPECT_NEAR(f.delay_ms, 7.0 / kRate * 1000, 1e-9);
  EXPECT_TRUE(f.linear_phase);
  EXPECT_TRUE(f.frame_offsets.empty());
}

TEST(Measuring, ATwoTapAverageIsACosine) {
  // H(f) = cos(pi f / rate): -3 dB at a quarter of the rate, a zero at Nyquist, half a
  // frame late.
  const ResponseFigures f = measure_response({{0.5, 0.5}, 0, 1}, kRate);
  ASSERT_TRUE(f.minus_3db_hz);
  EXPECT_NEAR(*f.minus_3db_hz, kRate / 4, 1.0);
  EXPECT_LT(f.at_source_nyquist_db, -200);
  const double ripple = db(std::cos(std::numbers::pi * 20 / kRate)) - db(std::cos(std::numbers::pi * 20'000 / kRate));
  EXPECT_NEAR(f.ripple_db, ripple, 0.01);
  EXPECT_NEAR(f.delay_frames, 0.5, 1e-9);
  EXPECT_TRUE(f.linear_phase);

  const ResponseFigures lopsided = measure_response({{0.5, 0.25}, 0, 1}, kRate);
  EXPECT_FALSE(lopsided.linear_phase);
}

TEST(Measuring, AHoldingUpSamplerIsHalfAFrameOutOfPlace) {
  // Each source frame played twice at double rate: the second copy shows the sound
  // one output frame before its place. Level |cos(pi f / output rate)| against the
  // input, so -3 dB at the source Nyquist and the image of 20 kHz at that level.
  const ResponseFigures f = measure_response({{1.0, 1.0}, 0, 2}, kRate);
  EXPECT_NEAR(f.at_source_nyquist_db, db(std::cos(std::numbers::pi / 4)), 1e-6);
  ASSERT_TRUE(f.minus_3db_hz);
  EXPECT_NEAR(*f.minus_3db_hz, kRate / 2, 2.0);
  ASSERT_TRUE(f.image_band_db);
  EXPECT_NEAR(*f.image_band_db, db(std::cos(std::numbers::pi * (kRate - 20'000) / (2 * kRate))), 0.01);
  ASSERT_EQ(f.frame_offsets.size(), 2u);
  EXPECT_NEAR(f.frame_offsets[0], 0.5, 1e-6);
  EXPECT_NEAR(f.frame_offsets[1], -0.5, 1e-6);
  EXPECT_NEAR(f.delay_frames, 0.5, 1e-9);
}

TEST(Measuring, APairInTheWrongOrderIsOneAndAHalfFramesOut) {
  // Frame 2j shows source frame j + 1, frame 2j + 1 shows frame j: an impulse at source
  // frame n reaches output frames 2n - 2 and 2n + 1.
  const ResponseFigures f = measure_response({{1.0, 0.0, 0.0, 1.0}, -2, 2}, kRate);
  ASSERT_EQ(f.frame_offsets.size(), 2u);
  EXPECT_NEAR(f.frame_offsets[0], 1.5, 1e-6);
  EXPECT_NEAR(f.frame_offsets[1], -1.5, 1e-6);
}

TEST(Measuring, ToneAndLargestOtherComponentOnExactBins) {
  constexpr std::size_t n = 4096, tone = 93, other = 1500;
  std::vector<double> segment(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double phase = 2 * std::numbers::pi * static_cast<double>(i) / n;
    segment[i] = 0.5 * 0.5 * std::sin(tone * phase) + 0.5 * 0.001 * std::cos(other * phase);
  }
  const ToneLevels t = measure_tone(segment, tone, kRate, 0.5);
  EXPECT_NEAR(t.frequency_hz, tone * kRate / n, 1e-9);
  EXPECT_NEAR(t.level_db, db(0.5), 1e-9);
  EXPECT_NEAR(t.spur_hz, other * kRate / n, 1e-9);
  EXPECT_NEAR(t.spur_db, -60.0, 1e-9);
}

}  // namespace
}  // namespace sonvale::analysis
