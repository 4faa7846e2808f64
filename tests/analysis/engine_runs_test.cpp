// The engine measured through the analysis, against what its tables and chains
// say independently of it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "analysis/engine_runs.h"
#include "analysis/response.h"
#include "engine/kernel_tables.h"

namespace sonvale::analysis {
namespace {

using engine::SoundMode;

constexpr double kRate = 44'100;

// The post filters' rule, written out here rather than taken from the engine:
// c sinc(pi c m) w(k), c = 0.9996, m = k - (taps - 1) / 2.
std::vector<double> low_pass(int taps, bool blackman) {
  std::vector<double> table(taps);
  const double c = 0.9996, span = taps - 1;
  for (int k = 0; k < taps; ++k) {
    const double m = k - span / 2, x = std::numbers::pi * c * m;
    const double a = 2 * std::numbers::pi * k / span;
    const double w = blackman ? 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2 * a) : 0.54 - 0.46 * std::cos(a);
    table[k] = c * (m == 0 ? 1.0 : std::sin(x) / x) * w;
  }
  return table;
}

// Level in dB of a symmetric table at a share of the Nyquist frequency.
double table_level(const std::vector<double>& table, double share) {
  double sum = 0;
  const double centre = (static_cast<double>(table.size()) - 1) / 2;
  for (std::size_t k = 0; k < table.size(); ++k)
    sum += table[k] * std::cos(std::numbers::pi * share * (static_cast<double>(k) - centre));
  return 20 * std::log10(std::abs(sum));
}

// The first share of Nyquist where the table passes half the power it has at 0 Hz.
std::optional<double> table_minus_3db(const std::vector<double>& table) {
  // These filters fall steadily towards Nyquist: when they end above the limit they
  // never cross it.
  const double limit = table_level(table, 0) - 10 * std::log10(2.0);
  if (table_level(table, 1.0) > limit) return std::nullopt;
  double low = 0.5, high = 1.0;
  for (int i = 0; i < 60; ++i) (table_level(table, (low + high) / 2) < limit ? high : low) = (low + high) / 2;
  return low;
}

class EngineRunsTest : public ::testing::Test {
 protected:
  engine::TableSet tables_;
  EngineRuns runs_{tables_.view(), 2};
};

TEST_F(EngineRunsTest, LpfBlueIsAnExact128FrameDelay) {
  const ImpulseResponse blue = runs_.post_filter_response(engine::kPostFilterOff);
  EXPECT_EQ(blue.taps, std::vector<double>{1.0});
  EXPECT_EQ(blue.first, 128);
  const ResponseFigures f = measure_response(blue, kRate);
  EXPECT_NEAR(f.delay_frames, 128.0, 1e-9);
  EXPECT_NEAR(f.ripple_db, 0.0, 1e-9);
  EXPECT_TRUE(f.linear_phase);
}

TEST_F(EngineRunsTest, PostFilterLevelsAreTheirTables) {
  struct Case {
    int filter;
    int taps;
    bool blackman;
  };
  for (const Case c : {Case{engine::kPostFilterHamming255, 255, false}, Case{engine::kPostFilterBlackman255, 255, true},
                       Case{engine::kPostFilterHamming2047, 2047, false}}) {
    SCOPED_TRACE(c.filter);
    const std::vector<double> table = low_pass(c.taps, c.blackman);
    const ImpulseResponse measured = runs_.post_filter_response(c.filter);
    EXPECT_EQ(measured.taps.size(), static_cast<std::size_t>(c.taps));
    const ResponseFigures f = measure_response(measured, kRate);
    EXPECT_NEAR(f.delay_frames, 128.0, 1e-6);  // every filter is centred where LPF blue takes its frame
    EXPECT_TRUE(f.linear_phase);

    // Where the tables put their -3 dB points: Hamming 2047 just below Nyquist; the
    // 255-tap filters dip by less than a decibel and have none.
    const auto expected = table_minus_3db(table);
    ASSERT_EQ(f.minus_3db_hz.has_value(), expected.has_value());
    if (expected) {
      EXPECT_NEAR(*f.minus_3db_hz, *expected * kRate / 2, 0.5);
    }
    EXPECT_NEAR(f.at_source_nyquist_db, table_level(table, 1.0), 1e-4);

    constexpr std::size_t n = 1 << 16;
    const std::vector<double> levels = response_levels(measured, n);
    for (std::size_t bin : {n / 4, n * 99 / 200, n * 999 / 2000})
      EXPECT_NEAR(levels[bin], table_level(table, 2.0 * static_cast<double>(bin) / n), 1e-4) << bin;
  }
}

TEST_F(EngineRunsTest, GreenX1IsTheSourceItself) {
  const ImpulseResponse r = runs_.impulse_response({SoundMode::Green1, engine::kPostFilterOff});
  EXPECT_EQ(r.taps, std::vector<double>{1.0});
  EXPECT_EQ(r.first, 0);
}

TEST_F(EngineRunsTest, RedX1IsHalfAFrameBeyondItsLeadInAndLookAhead) {
  // Output frame m is input-buffer frame m + 128 + 1,535.5, and the input buffer starts
  // with 4,224 frames of lead-in: a source frame comes out 4,224 - 1,663.5 frames late.
  const ImpulseResponse r = runs_.impulse_response({SoundMode::Red1, engine::kPostFilterOff});
  const ResponseFigures f = measure_response(r, kRate);
  EXPECT_NEAR(f.delay_frames, 2560.5, 0.5);
  EXPECT_LT(f.ripple_db, 0.2);
  EXPECT_FALSE(f.image_band_db);
}

TEST_F(EngineRunsTest, FrameOrderOfTheInterleavingModes) {
  // Green x 2 writes its estimate of source frame j + 1 before frame j itself; Brown x 2
  // writes the frame half-way before j, where it belongs.
  const ResponseFigures green = measure_response(runs_.impulse_response({SoundMode::Green2, 0}), kRate);
  ASSERT_EQ(green.frame_offsets.size(), 2u);
  EXPECT_NEAR(green.frame_offsets[0], 1.5, 0.05);
  EXPECT_NEAR(green.frame_offsets[1], -1.5, 0.05);
  const ResponseFigures brown = measure_response(runs_.impulse_response({SoundMode::Brown2, 0}), kRate);
  ASSERT_EQ(brown.frame_offsets.size(), 2u);
  EXPECT_NEAR(brown.frame_offsets[0], 0.0, 0.01);
  EXPECT_NEAR(brown.frame_offsets[1], 0.0, 0.01);
}

TEST_F(EngineRunsTest, TonesThroughGreenX2ShowItsImages) {
  // The same figures from tones as from the impulse response: the level of each tone
  // and of its image at the source rate minus the tone.
  const Combination green2{SoundMode::Green2, engine::kPostFilterOff};
  const ImpulseResponse r = runs_.impulse_response(green2);
  const EngineRuns::ToneSweep sweep = runs_.tone_sweep(green2, kRate, 5000);
  // 1 kHz, then 2.5, 5, 10, 15 and 20 kHz.
  ASSERT_EQ(sweep.tones.size(), 6u);
  EXPECT_NEAR(sweep.tones[0].frequency_hz, 1000, kRate / 4096);
  EXPECT_NEAR(sweep.tones[1].frequency_hz, 2500, kRate / 4096);
  const std::vector<double> levels = response_levels(r, 1 << 16);
  const auto level_at = [&](double hz) { return levels[static_cast<std::size_t>(std::lround(hz / (2 * kRate) * (1 << 16)))]; };
  for (const ToneLevels& t : sweep.tones) {
    SCOPED_TRACE(t.frequency_hz);
    EXPECT_NEAR(t.level_db, level_at(t.frequency_hz), 0.05);
    EXPECT_GE(t.spur_db, level_at(kRate - t.frequency_hz) - 0.05);
  }
  ASSERT_FALSE(sweep.spectrum_1khz.empty());
}

}  // namespace
}  // namespace sonvale::analysis
