#include "engine/kernel_tables.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/products.h"

namespace sonvale::engine {
namespace {

long double sum_of(const std::vector<double>& table) {
  long double sum = 0;
  for (double t : table) sum += t;
  return sum;
}

// The library sine may differ from the reference in the last bit or two.
constexpr double kUlps = 2e-16;

TEST(KernelTables, KernelsHaveTheirCentresNeighboursEndsAndSums) {
  const TableSet tables;
  const std::vector<double>& q = tables.quarter;
  const std::vector<double>& h = tables.half;
  ASSERT_EQ(q.size(), 1025u);
  EXPECT_NEAR(q[512], 0.9003163161571061, kUlps);
  EXPECT_NEAR(q[511], 0.3001054387190354, kUlps);
  EXPECT_NEAR(q[513], -0.18006326323142122, kUlps);
  EXPECT_NEAR(q[0], -0.0004398223332473068, kUlps);
  EXPECT_NEAR(q[1024], 0.00043939302887121716, kUlps);
  EXPECT_NEAR(sum_of(q), 0.99999979, 5e-9);
  EXPECT_NEAR(h[512], 0.6366197723675814, kUlps);
  EXPECT_NEAR(h[511], -0.2122065907891938, kUlps);
  EXPECT_NEAR(h[513], 0.6366197723675814, kUlps);
  EXPECT_NEAR(h[0], 0.0006210924608464209, kUlps);
  EXPECT_NEAR(h[1024], -0.0006223067178568732, kUlps);
  EXPECT_NEAR(sum_of(h), 0.99999939, 5e-9);
  for (int k = 1; k <= 1024; ++k) EXPECT_EQ(h[k], h[1025 - k]) << k;
  EXPECT_NE(q[511], q[513]);  // the quarter kernel has no symmetry
}

TEST(KernelTables, LowPassFiltersMatchTheirPrintedValuesAndAreExactlySymmetric) {
  const TableSet tables;
  struct Expected {
    const std::vector<double>& table;
    double centre, beside, end, sum;
  };
  const Expected expected[] = {
      {tables.hamming255, 0.9996, 0.000399943601273597, 3.186433344114593e-05, 1.0000318632674998},
      {tables.blackman255, 0.9996, 0.0003998995515200961, -5.5e-21, 1.000000000000367},
      {tables.hamming2047, 0.9996, 0.0003999990270916377, 2.3886359002851008e-05, 1.00002387908567},
  };
  for (const Expected& e : expected) {
    const std::vector<double>& t = e.table;
    const int middle = static_cast<int>(t.size()) / 2;
    SCOPED_TRACE(t.size());
    EXPECT_NEAR(t[middle], e.centre, kUlps);
    EXPECT_NEAR(t[middle - 1], e.beside, kUlps);
    EXPECT_NEAR(t[middle + 1], e.beside, kUlps);
    EXPECT_NEAR(t[0], e.end, kUlps);
    EXPECT_NEAR(sum_of(t), e.sum, 1e-15);
    for (std::size_t k = 0; k < t.size(); ++k) EXPECT_EQ(t[k], t[t.size() - 1 - k]) << k;
  }
  EXPECT_NEAR(tables.blackman255[0], -5.5e-21, 0.05e-21);  // tiny, not zero: it takes part in the sum
}

TEST(KernelTables, AnImpulseThroughTheQuarterKernelGivesItsEntriesRoundedToFloat) {
  const TableSet tables;
  std::vector<float> source(2 * 1100, 0.0f);
  const int c = 540;
  source[2 * c] = 1.0f;
  source[2 * c + 1] = -1.0f;
  std::vector<float> out(6);
  // Step-1 products centred at c, c + 1 and c - 1.
  ProductRun run;
  run.source = source.data() + 2 * (c - 1 - 512);
  run.destination = out.data();
  run.count = 3;
  run.table = tables.quarter.data();
  run.taps = 1025;
  const StopFlag go{0};
  ASSERT_TRUE(compute_products_direct(run, go));
  EXPECT_EQ(out[0], static_cast<float>(-0.18006326323142122));
  EXPECT_EQ(out[1], static_cast<float>(0.18006326323142122));
  EXPECT_EQ(out[2], static_cast<float>(0.9003163161571061));
  EXPECT_EQ(out[3], static_cast<float>(-0.9003163161571061));
  EXPECT_EQ(out[4], static_cast<float>(0.3001054387190354));
  EXPECT_EQ(out[5], static_cast<float>(-0.3001054387190354));
}

TEST(KernelTables, BuffersThatCannotHoldATableAreLeftAlone) {
  SampleBuffers buffers;
  buffers.reserve([](std::size_t bytes) -> std::optional<platform::Reservation> {
    if (bytes == 2'048) return std::nullopt;  // both 255-tap tables missing
    return platform::Reservation::reserve_zeroed(4096);
  });
  build_kernel_tables(buffers, 512);
  install_filter_tables(buffers);
  EXPECT_EQ(buffers.table(Buffer::QuarterKernel)[0], 0.0);  // 1,025 doubles do not fit 4 KiB
  EXPECT_FALSE(tables_of(buffers).complete());
  EXPECT_EQ(tables_of(buffers).hamming255, nullptr);

  SampleBuffers full;  // full-size tables, token sample buffers
  full.reserve([](std::size_t bytes) { return platform::Reservation::reserve_zeroed(bytes <= 16'384 ? bytes : 4096); });
  build_kernel_tables(full, 512);
  install_filter_tables(full);
  const TableSet expected;
  EXPECT_TRUE(tables_of(full).complete());
  EXPECT_EQ(full.table(Buffer::HalfKernel)[3], expected.half[3]);
  EXPECT_EQ(full.table(Buffer::Hamming2047)[2046], expected.hamming2047[2046]);
}

}  // namespace
}  // namespace sonvale::engine
